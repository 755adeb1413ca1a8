// Under LeakSanitizer: what libcdio and fontconfig keep until the process
// ends (caches, and blocks libcdio drops on its error paths) is theirs, not
// a leak of ztp-plan; so are the blocks libvorbis drops when libsndfile
// gives up on a malformed Ogg file (vorbis_info_init without its clear).
#if defined(__has_feature)
#if __has_feature(address_sanitizer) && !defined(__SANITIZE_ADDRESS__)
#define __SANITIZE_ADDRESS__ 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libcdio.so\nleak:libfontconfig.so\nleak:libpango\nleak:libcairo.so\nleak:libglib\n"
           "leak:libvorbis.so\nleak:libogg.so\nleak:libsndfile.so\nleak:libFLAC.so\nleak:libmpg123.so\n"
           "leak:libopus.so\nleak:libtag.so\n";
}
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
