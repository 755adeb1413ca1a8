/* The product's identity, in one place for the code of both programs and
   their resource scripts (windres reads the #defines; the C++ names below
   are for the code). */
#ifndef ZTP_PRODUCT_H
#define ZTP_PRODUCT_H

#define ZTP_VERSION_BINARY 1, 0, 0, 1
#define ZTP_VERSION_TEXT "1.0.0.1"
#define ZTP_PRODUCT_NAME "ZTP for win32"
#define ZTP_SHORT_NAME "ZTP"
#define ZTP_SETUP_NAME ZTP_PRODUCT_NAME " Setup"
#define ZTP_COMPANY "The ZTP for win32 Project"
#define ZTP_COPYRIGHT "(C) 2026 " ZTP_COMPANY
#define ZTP_WEB_PAGE "https://ztp-win32.example.org/"
#define ZTP_EMAIL "ztp-win32@example.org"
/* The main window's class, by which the installer finds a running program. */
#define ZTP_MAIN_CLASS "TfrmMain"

#ifndef RC_INVOKED
#define ZTP_WIDE_(s) L##s
#define ZTP_WIDE(s) ZTP_WIDE_(s)

namespace product {

inline constexpr const wchar_t* kName = ZTP_WIDE(ZTP_PRODUCT_NAME);
// "ZTP": the caption of the program's own message boxes.
inline constexpr const wchar_t* kShortName = ZTP_WIDE(ZTP_SHORT_NAME);
// "ZTP for win32 ver1.0.0.1"
inline constexpr const wchar_t* kNameAndVersion =
    ZTP_WIDE(ZTP_PRODUCT_NAME) L" ver" ZTP_WIDE(ZTP_VERSION_TEXT);
inline constexpr const wchar_t* kSetupName = ZTP_WIDE(ZTP_SETUP_NAME);
inline constexpr const wchar_t* kCopyright = ZTP_WIDE(ZTP_COPYRIGHT);
inline constexpr const wchar_t* kWebPage = ZTP_WIDE(ZTP_WEB_PAGE);
inline constexpr const wchar_t* kEMail = ZTP_WIDE(ZTP_EMAIL);
inline constexpr const wchar_t* kMainClass = ZTP_WIDE(ZTP_MAIN_CLASS);

}  // namespace product
#endif

#endif
