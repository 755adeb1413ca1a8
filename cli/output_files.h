// The files a command writes, put in place all together or not at all.
//
// Each output is a regular file replaced whole through a temporary file
// beside it, or standard output ("-"). A symbolic link is followed (the
// file it names is replaced, the link stays); an existing file keeps its
// permission bits, and its owner where the process may set it; a file with
// other names (hard links) is written in place, so that they all see the new
// bytes. A target that is not a regular file (a device, a FIFO, a folder),
// one that names a file the command reads, and two outputs naming the same
// file are refused before anything is written. Messages name the path as
// given and give the system's error text.
#pragma once
#include <string>
#include <vector>

#include "errors.h"

namespace ztp {

// A target refused before anything was written: a usage error (exit status 2).
class OutputTargetError : public Exception {
public:
    using Exception::Exception;
};

// A failed write: nothing was put in place (exit status 1).
class OutputWriteError : public Exception {
public:
    using Exception::Exception;
};

class OutputFiles {
public:
    // Adds an output; `what` names it in messages ("the result file").
    // Throws OutputTargetError for a target that cannot be one.
    void add(const std::string& what, const std::string& path);
    // Refuses outputs that name any of these files (the command's inputs).
    void refuseInputs(const std::vector<std::string>& inputs) const;
    // Writes bytes[k] to the k-th output: temporary files first, then every
    // one renamed into place, standard output last; if any step fails, the
    // targets are as they were and OutputWriteError says which and why.
    void commit(const std::vector<std::string>& bytes) const;

    std::size_t size() const { return outputs_.size(); }

private:
    struct Output {
        std::string what, path;  // as given
        std::string target;      // the file written: path with its links followed ("" for stdout)
        std::string key;         // target with its folder resolved, to compare outputs
        bool exists = false;
        unsigned long long device = 0, inode = 0;
    };
    std::vector<Output> outputs_;
};

}  // namespace ztp
