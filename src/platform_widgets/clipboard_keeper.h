#pragma once

#include <QByteArray>
#include <QString>

class QMimeData;

// On X11 the content of the clipboard lives in the program that put it there
// and is gone when that program ends, unless a clipboard manager copies it.
// So that what this program exported outlives it, the program starts itself
// once more, as a small detached keeper, hands it the clipboard's content and
// ends; the keeper takes the clipboard over, serves it to the programs that
// paste, and ends as soon as another program copies something. The keeper
// runs from a copy of the program in memory, so that it keeps no file of the
// program's medium open or mapped (a USB stick can be unmounted); from the
// program's file only where the system allows no such copy.
//
// The keeper is recognised by the name it runs under (its argv[0]): a
// document path is everything after the program's name, so no command line
// can ask for a keeper by mistake. It runs in a session of its own, with its
// standard input, output and error on /dev/null, no other file of the
// program open, and "/" as its current folder, so it holds no lock, keeps no
// pipe of the program's caller open and keeps no disk busy. The keeper always
// uses the X11 platform: a Wayland compositor gives the clipboard only to a
// focused window, which a windowless process never is, while the X11
// clipboard of its Xwayland server is shared with the Wayland programs.

// True when argv[0] names the keeper.
bool IsClipboardKeeperRun(int argc, char **argv);

// The keeper's whole run: reads the content from its standard input (at
// most what SerializeMimeData writes, within the hand-over's time), owns the
// clipboard with it, says so on the same socket, and serves it until another
// program takes the clipboard. Returns the exit status: 1 at once for any
// other input, or an X server that does not answer.
int RunClipboardKeeper(int argc, char **argv);

// Called by the program once it is done, before its QGuiApplication goes:
// when this process still owns the clipboard of an X11 display (or of a
// Wayland session with Xwayland), starts `program` as the keeper, hands it
// the content and waits until it owns the clipboard, a few seconds at most.
// True when a keeper took the clipboard over; false when there was nothing
// to keep (another program copied since, no display, a platform without a
// shared clipboard) or the keeper could not start.
bool HandClipboardToKeeper(const QString &program);

// The clipboard's content as bytes: the formats kept (clipboard_formats.h)
// with their data, the image and the colour, within kMaxKeptClipboardBytes;
// and back. Null when the bytes are not such a content, are more than such
// a content can be, or name a format that is not kept.
QByteArray SerializeMimeData(const QMimeData &data);
QMimeData *DeserializeMimeData(const QByteArray &bytes);
