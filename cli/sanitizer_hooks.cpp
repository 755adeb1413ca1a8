// Under LeakSanitizer: what libcdio and fontconfig keep until the process
// ends (caches, and blocks libcdio drops on its error paths) is theirs, not
// a leak of ztp-plan.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libcdio.so\nleak:libfontconfig.so\nleak:libpango\nleak:libcairo.so\nleak:libglib\n";
}
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
