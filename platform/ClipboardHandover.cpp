// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClipboardHandover.h"
#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {
xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    auto *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, false, strlen(name), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return a;
}

bool hasOwner(xcb_connection_t *c, xcb_atom_t selection)
{
    auto *reply = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    free(reply);
    return owned;
}

// Ends the wait when the manager's answer to our save request arrives.
class Answer : public QAbstractNativeEventFilter
{
public:
    Answer(xcb_window_t requestor, QEventLoop &loop) : m_requestor(requestor), m_loop(loop) {}
    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        auto *event = static_cast<xcb_generic_event_t *>(message);
        if (type != "xcb_generic_event_t" || (event->response_type & 0x7f) != XCB_SELECTION_NOTIFY
            || reinterpret_cast<xcb_selection_notify_event_t *>(event)->requestor != m_requestor)
            return false;
        m_loop.quit();
        return true;
    }

private:
    xcb_window_t m_requestor;
    QEventLoop &m_loop;
};
}

void handOverClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    // Managers keep only CLIPBOARD; the mouse selection ends with the process anyway.
    if (clipboard->ownsSelection())
        clipboard->clear(QClipboard::Selection);
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !clipboard->ownsClipboard())
        return;
    xcb_connection_t *c = x11->connection();
    const xcb_atom_t manager = atom(c, "CLIPBOARD_MANAGER");
    if (!hasOwner(c, manager))
        return;

    // The manager fetches the data from us while this loop runs, then takes CLIPBOARD
    // and answers; the loop serves its requests as they come.
    const xcb_window_t requestor = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, requestor, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root,
                      0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    QEventLoop loop;
    Answer answer(requestor, loop);
    qGuiApp->installNativeEventFilter(&answer);
    xcb_convert_selection(c, requestor, manager, atom(c, "SAVE_TARGETS"), atom(c, "ZENDRAL_SAVE_TARGETS"),
                          XCB_CURRENT_TIME);
    xcb_flush(c);
    // The toolkit's own bound for the same hand-over.
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    qGuiApp->removeNativeEventFilter(&answer);
    xcb_destroy_window(c, requestor);
    // Answered or not, asking again at teardown would only repeat this, more slowly.
    if (clipboard->ownsClipboard())
        clipboard->clear(QClipboard::Clipboard);
    xcb_flush(c);
}
