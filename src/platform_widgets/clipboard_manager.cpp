#include "platform_widgets/clipboard_manager.h"

#include <QGuiApplication>

#if defined(Q_OS_LINUX) && defined(QT_FEATURE_xcb) && QT_FEATURE_xcb == 1 && __has_include(<xcb/xcb.h>)
#define CALVOR_ASK_CLIPBOARD_MANAGER 1
#include <dlfcn.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

#ifdef CALVOR_ASK_CLIPBOARD_MANAGER
namespace {

// The few calls of the X11 client library that Qt's xcb platform has
// loaded, found in it: the program itself does not link it.
struct XcbCalls {
    decltype(&xcb_intern_atom) internAtom = nullptr;
    decltype(&xcb_intern_atom_reply) internAtomReply = nullptr;
    decltype(&xcb_get_selection_owner) getSelectionOwner = nullptr;
    decltype(&xcb_get_selection_owner_reply) getSelectionOwnerReply = nullptr;

    bool Load() {
        void *library = dlopen("libxcb.so.1", RTLD_NOW | RTLD_NOLOAD);
        if (library == nullptr)
            return false;
        internAtom = reinterpret_cast<decltype(internAtom)>(dlsym(library, "xcb_intern_atom"));
        internAtomReply =
            reinterpret_cast<decltype(internAtomReply)>(dlsym(library, "xcb_intern_atom_reply"));
        getSelectionOwner = reinterpret_cast<decltype(getSelectionOwner)>(
            dlsym(library, "xcb_get_selection_owner"));
        getSelectionOwnerReply = reinterpret_cast<decltype(getSelectionOwnerReply)>(
            dlsym(library, "xcb_get_selection_owner_reply"));
        // The library stays loaded by Qt; this handle only counts once more.
        dlclose(library);
        return internAtom && internAtomReply && getSelectionOwner && getSelectionOwnerReply;
    }
};

} // namespace
#endif

bool ClipboardManagerRuns() {
#ifdef CALVOR_ASK_CLIPBOARD_MANAGER
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return false;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 != nullptr ? x11->connection() : nullptr;
    XcbCalls calls;
    if (connection == nullptr || !calls.Load())
        return false;
    static const char kName[] = "CLIPBOARD_MANAGER";
    xcb_intern_atom_reply_t *atom = calls.internAtomReply(
        connection, calls.internAtom(connection, 1, sizeof kName - 1, kName), nullptr);
    if (atom == nullptr)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false; // never named on this display: nobody can own it
    xcb_get_selection_owner_reply_t *owner = calls.getSelectionOwnerReply(
        connection, calls.getSelectionOwner(connection, selection), nullptr);
    if (owner == nullptr)
        return false;
    const bool owned = owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    return owned;
#else
    return false;
#endif
}
