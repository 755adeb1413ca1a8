#include "output_files.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace ztp {
namespace {

std::string errorText(int err) { return std::strerror(err); }

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path names, spelt one way: its folder with every link and
// "." or ".." resolved, then its own name (which may not exist yet).
std::string canonicalOf(const std::string& path) {
    char* folder = ::realpath(folderOf(path).c_str(), nullptr);
    if (!folder) return path;
    std::string key = folder;
    std::free(folder);
    return (key == "/" ? "" : key) + "/" + baseOf(path);
}

// What a file that is not a regular one is, for messages.
std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// A name beside `path` that no file has yet (ending in `tail`).
std::string freshName(const std::string& path, const char* tail) {
    std::random_device rd;
    char name[48];
    std::snprintf(name, sizeof name, "/.ztp-plan-%08x%08x%s", rd(), rd(), tail);
    return folderOf(path) + name;
}

// A temporary file beside `target` holding bytes, with the mode (and owner)
// the target has or a new file would get.
std::string writeTemporary(const std::string& target, const std::string& name,
                           const std::string& bytes, bool exists, const struct stat& st) {
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = freshName(target, ".tmp");
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw OutputWriteError("cannot write " + name + ": " + errorText(errno));
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw OutputWriteError("cannot write " + name + ": " + errorText(err));
    };
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) fail(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not allowed to give the file away: it stays ours.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0) fail(errno);
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw OutputWriteError("cannot write " + name + ": " + errorText(err));
    }
    return temp;
}

// Writes bytes over the file at path, in place (its other names see them too).
void overwrite(const std::string& path, const std::string& name, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) throw OutputWriteError("cannot write " + name + ": " + errorText(errno));
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            ::close(fd);
            throw OutputWriteError("cannot write " + name + ": " + errorText(err));
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        const int err = errno;
        ::close(fd);
        throw OutputWriteError("cannot write " + name + ": " + errorText(err));
    }
    if (::close(fd) != 0) throw OutputWriteError("cannot write " + name + ": " + errorText(errno));
}

// The whole content of a file, for putting it back.
std::string contentOf(const std::string& path, const std::string& name) {
    constexpr off_t kMax = off_t{64} << 20;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw OutputWriteError("cannot replace " + name + ": " + errorText(errno));
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size > kMax) {
        ::close(fd);
        throw OutputWriteError("cannot replace " + name +
                               ": it has other names (hard links) and is too large to keep");
    }
    std::string out;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            throw OutputWriteError("cannot replace " + name + ": " + errorText(err));
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return out;
}

}  // namespace

void OutputFiles::add(const std::string& what, const std::string& path) {
    Output o{what, path, "", "", false, 0, 0};
    if (path.empty()) throw OutputTargetError(what + ": no file name given");
    if (path != "-") {
        // Follow symbolic links to the file they name.
        std::string p = path;
        for (int hop = 0;; ++hop) {
            struct stat lst;
            if (::lstat(p.c_str(), &lst) != 0) {
                if (errno != ENOENT)
                    throw OutputWriteError("cannot write " + path + ": " + errorText(errno));
                break;
            }
            if (!S_ISLNK(lst.st_mode)) break;
            if (hop >= 40) throw OutputWriteError("cannot write " + path + ": " + errorText(ELOOP));
            std::string link(4096, '\0');
            const ssize_t n = ::readlink(p.c_str(), link.data(), link.size());
            if (n < 0) throw OutputWriteError("cannot write " + path + ": " + errorText(errno));
            link.resize(static_cast<std::size_t>(n));
            p = link.front() == '/' ? link : folderOf(p) + "/" + link;
        }
        o.target = p;
        o.key = canonicalOf(p);
        struct stat st;
        if (::stat(p.c_str(), &st) == 0) {
            if (!S_ISREG(st.st_mode))
                throw OutputTargetError(
                    path + " is " + kindOf(st.st_mode) + ", not a file that " + what +
                    " can replace (outputs are regular files, or - for standard output)");
            o.exists = true;
            o.device = st.st_dev;
            o.inode = st.st_ino;
        }
        const std::string folder = folderOf(p);
        struct stat dst;
        if (::stat(folder.c_str(), &dst) != 0)
            throw OutputWriteError("cannot write " + path + ": " + errorText(errno));
        if (!S_ISDIR(dst.st_mode))
            throw OutputWriteError("cannot write " + path + ": " + errorText(ENOTDIR));
        if (::access(folder.c_str(), W_OK | X_OK) != 0)
            throw OutputWriteError("cannot write " + path + ": " + errorText(errno));
    }
    for (const Output& other : outputs_) {
        const bool same =
            (path == "-" && other.path == "-") ||
            (path != "-" && other.path != "-" &&
             (o.key == other.key ||
              (o.exists && other.exists && o.device == other.device && o.inode == other.inode)));
        if (same)
            throw OutputTargetError(other.what + " and " + what + " would both go to " +
                                    (path == "-" ? std::string("standard output") : path));
    }
    outputs_.push_back(o);
}

void OutputFiles::refuseInputs(const std::vector<std::string>& inputs) const {
    for (const std::string& in : inputs) {
        struct stat st;
        if (in.empty() || in == "-" || ::stat(in.c_str(), &st) != 0) continue;
        for (const Output& o : outputs_)
            if (o.exists && o.device == st.st_dev && o.inode == st.st_ino)
                throw OutputTargetError(o.path + " is a file this command reads" +
                                        (in == o.path ? "" : " (" + in + ")") + "; " + o.what +
                                        " would replace it");
    }
}

void OutputFiles::commit(const std::vector<std::string>& bytes) const {
    // A file with other names (hard links) is written in place, so that
    // they all show the new bytes; its old bytes are kept to put back.
    struct Placed {
        std::string temp, backup, old;
        bool inPlace = false, done = false, moved = false;
    };
    std::vector<Placed> placed(outputs_.size());
    // Ctrl+C, a hang-up or a termination waits until every step is done or undone.
    sigset_t held, before;
    sigemptyset(&held);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, sig);
    ::pthread_sigmask(SIG_BLOCK, &held, &before);
    struct Restore {
        sigset_t* mask;
        ~Restore() { ::pthread_sigmask(SIG_SETMASK, mask, nullptr); }
    } restore{&before};
    auto undo = [&] {
        for (std::size_t k = placed.size(); k-- > 0;) {
            Placed& p = placed[k];
            const Output& o = outputs_[k];
            if (p.done && p.inPlace) {
                try {
                    overwrite(o.target, o.path, p.old);
                } catch (const OutputWriteError&) {}
            } else if (p.done) {
                if (!p.backup.empty()) ::rename(p.backup.c_str(), o.target.c_str());
                else ::unlink(o.target.c_str());
            } else {
                if (!p.temp.empty()) ::unlink(p.temp.c_str());
                if (!p.backup.empty()) ::unlink(p.backup.c_str());
            }
        }
    };
    try {
        for (std::size_t k = 0; k < outputs_.size(); ++k) {
            const Output& o = outputs_[k];
            if (o.path == "-") continue;
            struct stat st {};
            const bool exists = ::stat(o.target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
            if (exists && st.st_nlink > 1) {
                placed[k].inPlace = true;
                placed[k].old = contentOf(o.target, o.path);
            } else {
                placed[k].temp = writeTemporary(o.target, o.path, bytes.at(k), exists, st);
            }
        }
        for (std::size_t k = 0; k < outputs_.size(); ++k) {
            const Output& o = outputs_[k];
            if (o.path == "-") continue;
            Placed& p = placed[k];
            if (p.inPlace) {
                p.done = true;  // from here on the old bytes are put back on failure
                overwrite(o.target, o.path, bytes.at(k));
                continue;
            }
            // The file it replaces stays under another name until all are in place.
            // A file system without hard links (FAT) keeps it by a rename
            // instead, which leaves the target missing for a moment.
            if (::access(o.target.c_str(), F_OK) == 0) {
                bool linked = true;
                for (int attempt = 0; attempt < 100; ++attempt) {
                    p.backup = freshName(o.target, ".old");
                    const int rc = linked ? ::link(o.target.c_str(), p.backup.c_str())
                                          : ::rename(o.target.c_str(), p.backup.c_str());
                    if (rc == 0) break;
                    const int err = errno;
                    p.backup.clear();
                    if (err == EEXIST) continue;
                    if (linked &&
                        (err == EPERM || err == EOPNOTSUPP || err == EMLINK || err == ENOSYS)) {
                        linked = false;
                        continue;
                    }
                    throw OutputWriteError("cannot replace " + o.path + ": " + errorText(err));
                }
                p.moved = !linked && !p.backup.empty();
            }
            if (::rename(p.temp.c_str(), o.target.c_str()) != 0) {
                const int err = errno;
                if (p.moved) ::rename(p.backup.c_str(), o.target.c_str());
                p.backup.clear();
                throw OutputWriteError("cannot replace " + o.path + ": " + errorText(err));
            }
            p.done = true;
        }
        for (std::size_t k = 0; k < outputs_.size(); ++k) {
            if (outputs_[k].path != "-") continue;
            const std::string& b = bytes.at(k);
            errno = 0;
            if ((!b.empty() && std::fwrite(b.data(), 1, b.size(), stdout) != b.size()) ||
                std::fflush(stdout) != 0)
                throw OutputWriteError("cannot write to standard output: " +
                                       errorText(errno ? errno : EIO));
        }
    } catch (...) {
        undo();
        throw;
    }
    for (const Placed& p : placed)
        if (!p.backup.empty()) ::unlink(p.backup.c_str());
}

}  // namespace ztp
