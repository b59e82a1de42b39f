// SPDX-License-Identifier: GPL-3.0-or-later
// A minimal clipboard manager for the exit tests. It owns CLIPBOARD_MANAGER; on a SAVE_TARGETS request it fetches
// TARGETS from the CLIPBOARD owner, then asks for all the offered targets at once (several requests in flight, as
// some managers do), takes CLIPBOARD itself, answers the request, and from then on serves the saved UTF8_STRING
// text. Prints "ready" once it owns the manager selection; ends with the X server.
#include <xcb/xcb.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {
xcb_connection_t *c;
xcb_window_t self;

xcb_atom_t atom(const std::string &name)
{
    auto *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.c_str()), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return a;
}

std::string property(xcb_atom_t name)
{
    auto *r = xcb_get_property_reply(c, xcb_get_property(c, 1, self, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24), {});
    const std::string data = r ? std::string(static_cast<const char *>(xcb_get_property_value(r)),
                                             xcb_get_property_value_length(r)) : std::string();
    free(r);
    return data;
}

// Sends every conversion of CLIPBOARD first, then collects the answers: target -> data.
std::map<xcb_atom_t, std::string> fetch(const std::vector<xcb_atom_t> &targets)
{
    std::map<xcb_atom_t, xcb_atom_t> slots;
    for (xcb_atom_t t : targets)
        slots[t] = atom("SLOT" + std::to_string(t));
    const xcb_atom_t clipboard = atom("CLIPBOARD");
    // No round trip in between: the requests reach the owner together.
    for (auto [target, slot] : slots)
        xcb_convert_selection(c, self, clipboard, target, slot, XCB_CURRENT_TIME);
    xcb_flush(c);
    std::map<xcb_atom_t, std::string> data;
    for (size_t answered = 0; answered < slots.size();) {
        xcb_generic_event_t *e = xcb_wait_for_event(c);
        if (!e)
            exit(0);
        if ((e->response_type & 0x7f) == XCB_SELECTION_NOTIFY) {
            const auto *n = reinterpret_cast<xcb_selection_notify_event_t *>(e);
            if (n->property != XCB_NONE)
                data[n->target] = property(n->property);
            ++answered;
        }
        free(e);
    }
    return data;
}

void answer(const xcb_selection_request_event_t &req, xcb_atom_t property)
{
    const xcb_selection_notify_event_t n{XCB_SELECTION_NOTIFY, 0, 0, req.time, req.requestor, req.selection,
                                         req.target, property};
    xcb_send_event(c, 0, req.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&n));
    xcb_flush(c);
}
}

int main()
{
    c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    const xcb_atom_t clipboard = atom("CLIPBOARD"), manager = atom("CLIPBOARD_MANAGER"),
                     targets = atom("TARGETS"), utf8 = atom("UTF8_STRING");
    const std::vector<xcb_atom_t> notData{targets, atom("SAVE_TARGETS"), atom("MULTIPLE"), atom("TIMESTAMP")};
    self = xcb_generate_id(c);
    xcb_create_window(c, 0, self, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, 0, 0, nullptr);
    xcb_set_selection_owner(c, self, manager, XCB_CURRENT_TIME);
    free(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, manager), nullptr));
    std::printf("ready\n"), std::fflush(stdout);

    std::string saved;
    while (xcb_generic_event_t *e = xcb_wait_for_event(c)) {
        if ((e->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
            const auto req = *reinterpret_cast<xcb_selection_request_event_t *>(e);
            if (req.selection == manager && req.target == atom("SAVE_TARGETS")) {
                const std::string list = fetch({targets})[targets];
                std::vector<xcb_atom_t> offered(list.size() / 4), wanted;
                std::memcpy(offered.data(), list.data(), offered.size() * 4);
                for (xcb_atom_t t : offered)
                    if (std::find(notData.begin(), notData.end(), t) == notData.end())
                        wanted.push_back(t);
                saved = fetch(wanted)[utf8];
                xcb_set_selection_owner(c, self, clipboard, XCB_CURRENT_TIME);
                answer(req, req.property);
            } else if (req.selection == clipboard && (req.target == targets || req.target == utf8)) {
                const xcb_atom_t served[] = {targets, utf8};
                const bool list = req.target == targets;
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, req.requestor, req.property,
                                    list ? xcb_atom_t(XCB_ATOM_ATOM) : utf8, list ? 32 : 8, list ? 2 : saved.size(),
                                    list ? static_cast<const void *>(served) : saved.data());
                answer(req, req.property);
            } else {
                answer(req, XCB_NONE);
            }
        }
        free(e);
    }
    return 0;
}
