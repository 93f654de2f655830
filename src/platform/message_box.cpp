#include "platform/message_box.h"

#include "platform/string_table.h"

int MessageBox(IMessageBoxService &service, const QString &text, unsigned flags) {
    if ((flags & MB_ICONMASK) == 0)
        flags |= MB_ICONEXCLAMATION;
    return service.Show(LoadString(IDS_APP_TITLE), text, flags);
}

int MessageBoxId(IMessageBoxService &service, unsigned stringId, unsigned flags) {
    return MessageBox(service, LoadString(stringId), flags);
}
