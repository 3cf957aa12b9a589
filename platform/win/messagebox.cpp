#include "messagebox.h"

#include <mutex>

namespace {

struct MessageBoxHandler {
    std::mutex lock;
    QEL_MESSAGE_BOX_HANDLER handler = nullptr;
    void *context = nullptr;
};

MessageBoxHandler &Handler()
{
    static MessageBoxHandler *handler = new MessageBoxHandler;
    return *handler;
}

int DismissedAnswer(UINT style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
    case MB_CANCELTRYCONTINUE:
        return IDCANCEL;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDYES;
    default:
        return IDOK;
    }
}

} // namespace

void QelSetMessageBoxHandler(QEL_MESSAGE_BOX_HANDLER handler, void *context)
{
    MessageBoxHandler &box = Handler();
    std::lock_guard<std::mutex> hold(box.lock);
    box.handler = handler;
    box.context = context;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    MessageBoxHandler &box = Handler();
    std::lock_guard<std::mutex> hold(box.lock);
    if (box.handler == nullptr)
        return DismissedAnswer(style);
    return box.handler(box.context, owner, text, caption, style);
}
