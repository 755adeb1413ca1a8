#include "cli_run.h"
