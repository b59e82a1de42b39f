// SPDX-License-Identifier: GPL-3.0-or-later
// Types into the focused window of a Wayland compositor through a virtual keyboard, as a person at a keyboard
// would: `wayland_keys text:STRING key:Control_L+s key:Caps_Lock drag:X1,Y1,X2,Y2 ...`. Keys press in order and
// release in reverse; a character the US layout lacks gets a key of its own; a drag presses the left button at
// one point of a 1024x768 output and releases it at the other (a click where they are the same). `hold` keeps
// a keyboard and a pointer plugged in until the process is ended: without them the seat has neither, and each
// run that comes and goes takes the window's keyboard and pointer away, which closes its menus. The client keeps the
// keyboard's state and sends the modifiers (Caps Lock included) with every key, as the protocol asks of it.
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

// The two interfaces of the virtual-keyboard-unstable-v1 protocol, written out (no package ships its XML).
extern const wl_interface keyboardInterface;
static const wl_interface *createTypes[] = {&wl_seat_interface, &keyboardInterface};
static const wl_interface *noTypes[] = {nullptr, nullptr, nullptr, nullptr};
static const wl_message managerRequests[] = {{"create_virtual_keyboard", "on", createTypes}};
static const wl_interface managerInterface = {"zwp_virtual_keyboard_manager_v1", 1, 1, managerRequests, 0, nullptr};
static const wl_message keyboardRequests[] = {
    {"keymap", "uhu", noTypes}, {"key", "uuu", noTypes}, {"modifiers", "uuuu", noTypes}, {"destroy", "", noTypes}};
const wl_interface keyboardInterface = {"zwp_virtual_keyboard_v1", 1, 4, keyboardRequests, 0, nullptr};
// And the pointer's, of wlr-virtual-pointer-unstable-v1: motion_absolute, button and frame are what is used.
extern const wl_interface pointerInterface;
static const wl_interface *createPointerTypes[] = {&wl_seat_interface, &pointerInterface};
static const wl_message pointerManagerRequests[] = {{"create_virtual_pointer", "?on", createPointerTypes}};
static const wl_interface pointerManagerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 1, pointerManagerRequests,
                                                     0, nullptr};
static const wl_message pointerRequests[] = {{"motion", "uff", noTypes}, {"motion_absolute", "uuuuu", noTypes},
                                             {"button", "uuu", noTypes}, {"axis", "uuf", noTypes},
                                             {"frame", "", noTypes}};
const wl_interface pointerInterface = {"zwlr_virtual_pointer_v1", 1, 5, pointerRequests, 0, nullptr};

namespace {
wl_seat *seat = nullptr;
wl_proxy *manager = nullptr;
wl_proxy *pointerManager = nullptr;

void global(void *, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    if (!std::strcmp(interface, "wl_seat") && !seat)
        seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!std::strcmp(interface, managerInterface.name))
        manager = static_cast<wl_proxy *>(wl_registry_bind(registry, name, &managerInterface, 1));
    else if (!std::strcmp(interface, pointerManagerInterface.name))
        pointerManager = static_cast<wl_proxy *>(wl_registry_bind(registry, name, &pointerManagerInterface, 1));
}
void globalRemove(void *, wl_registry *, uint32_t) {}
const wl_registry_listener registryListener = {global, globalRemove};

struct Keyboard {
    wl_display *display;
    wl_proxy *proxy;
    xkb_state *state;
    uint32_t time = 0;

    void send(xkb_keycode_t code, bool down)
    {
        xkb_state_update_key(state, code, down ? XKB_KEY_DOWN : XKB_KEY_UP);
        wl_proxy_marshal(proxy, 1, ++time, code - 8, down ? 1u : 0u);
        wl_proxy_marshal(proxy, 2, xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED),
                         xkb_state_serialize_mods(state, XKB_STATE_MODS_LATCHED),
                         xkb_state_serialize_mods(state, XKB_STATE_MODS_LOCKED),
                         xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE));
        wl_display_roundtrip(display);
    }
    void press(const std::vector<xkb_keycode_t> &codes)
    {
        for (xkb_keycode_t c : codes)
            send(c, true);
        for (auto c = codes.rbegin(); c != codes.rend(); ++c)
            send(*c, false);
    }
};

// Where each keysym is in the keymap: its key, and whether Shift reaches it.
std::map<xkb_keysym_t, std::pair<xkb_keycode_t, bool>> keysOf(xkb_keymap *keymap)
{
    std::map<xkb_keysym_t, std::pair<xkb_keycode_t, bool>> where;
    for (xkb_keycode_t code = xkb_keymap_max_keycode(keymap); code >= xkb_keymap_min_keycode(keymap); --code)
        for (int level = 1; level >= 0; --level) {
            const xkb_keysym_t *syms = nullptr;
            if (xkb_keymap_key_get_syms_by_level(keymap, code, 0, level, &syms) == 1)
                where[syms[0]] = {code, level == 1};
        }
    return where;
}

std::u32string fromUtf8(const std::string &s)
{
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char b = s[i];
        const int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n && i + k < s.size(); ++k)
            c = (c << 6) | (s[i + k] & 0x3F);
        out += c;
        i += n;
    }
    return out;
}
}

int main(int argc, char **argv)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fputs("wayland_keys: no Wayland display\n", stderr);
        return 1;
    }
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!seat || !manager) {
        std::fputs("wayland_keys: the compositor offers no virtual keyboard\n", stderr);
        return 1;
    }
    // The US layout, and keys from 360 up for every other character the text steps type.
    std::string extra;
    int next = 360;
    for (int i = 1; i < argc; ++i)
        if (!std::strncmp(argv[i], "text:", 5))
            for (char32_t c : fromUtf8(argv[i] + 5))
                if (c > 0x7E) {
                    char name[64];
                    xkb_keysym_get_name(xkb_utf32_to_keysym(c), name, sizeof name);
                    extra += "key <I" + std::to_string(next++) + "> { [ " + name + " ] };\n";
                }
    const std::string source = "xkb_keymap { xkb_keycodes { include \"evdev\" }; xkb_types { include \"complete\" };"
                               " xkb_compat { include \"complete\" }; xkb_symbols { include \"pc+us+inet(evdev)\"\n"
                               + extra + "}; };";
    xkb_context *context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap *keymap = xkb_keymap_new_from_string(context, source.c_str(), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap) {
        std::fputs("wayland_keys: keymap did not compile\n", stderr);
        return 1;
    }
    char *text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    const size_t size = std::strlen(text) + 1;
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    if (fd < 0 || write(fd, text, size) != ssize_t(size))
        return 1;
    Keyboard keyboard{display, wl_proxy_marshal_constructor(manager, 0, &keyboardInterface, seat, nullptr),
                      xkb_state_new(keymap)};
    wl_proxy_marshal(keyboard.proxy, 0, uint32_t(XKB_KEYMAP_FORMAT_TEXT_V1), fd, uint32_t(size));
    // Every run starts with the locks off (the client cannot read them), and with a Shift tap: the window takes
    // the new keyboard with its first key, which it does not type.
    wl_proxy_marshal(keyboard.proxy, 2, 0u, 0u, 0u, 0u);
    wl_display_roundtrip(display);
    const auto where = keysOf(keymap);
    const xkb_keycode_t shift = where.at(XKB_KEY_Shift_L).first;
    keyboard.press({shift});
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        std::vector<std::vector<xkb_keycode_t>> presses;
        if (!step.compare(0, 5, "text:")) {
            for (char32_t c : fromUtf8(step.substr(5))) {
                const auto found = where.find(c == '\n' ? XKB_KEY_Return : xkb_utf32_to_keysym(c));
                if (found == where.end())
                    return std::fprintf(stderr, "wayland_keys: no key for U+%04X\n", unsigned(c)), 1;
                presses.push_back(found->second.second ? std::vector{shift, found->second.first}
                                                       : std::vector{found->second.first});
            }
        } else if (!step.compare(0, 4, "key:")) {
            std::vector<xkb_keycode_t> chord;
            for (size_t from = 4; from <= step.size();) {
                const size_t plus = std::min(step.find('+', from), step.size());
                const auto found = where.find(xkb_keysym_from_name(step.substr(from, plus - from).c_str(),
                                                                   XKB_KEYSYM_NO_FLAGS));
                if (found == where.end())
                    return std::fprintf(stderr, "wayland_keys: no key %s\n", step.c_str()), 1;
                chord.push_back(found->second.first);
                from = plus + 1;
            }
            presses.push_back(chord);
        } else if (unsigned x1, y1, x2, y2; std::sscanf(step.c_str(), "drag:%u,%u,%u,%u", &x1, &y1, &x2, &y2) == 4) {
            if (!pointerManager)
                return std::fputs("wayland_keys: the compositor offers no virtual pointer\n", stderr), 1;
            wl_proxy *pointer = wl_proxy_marshal_constructor(pointerManager, 0, &pointerInterface, seat, nullptr);
            const auto act = [&](unsigned x, unsigned y, int button) {
                wl_proxy_marshal(pointer, 1, ++keyboard.time, x, y, 1024u, 768u);
                if (button >= 0)
                    wl_proxy_marshal(pointer, 2, ++keyboard.time, 0x110u, unsigned(button));   // BTN_LEFT
                wl_proxy_marshal(pointer, 4);
                wl_display_roundtrip(display);
                usleep(20000);
            };
            act(x1, y1, -1);
            act(x1, y1, 1);
            act((x1 + x2) / 2, (y1 + y2) / 2, -1);
            act(x2, y2, 0);
            wl_proxy_destroy(pointer);
        } else if (step == "hold") {
            if (pointerManager)
                wl_proxy_marshal_constructor(pointerManager, 0, &pointerInterface, seat, nullptr);
            while (wl_display_dispatch(display) != -1) {
            }
        } else {
            return std::fprintf(stderr, "wayland_keys: unknown step %s\n", step.c_str()), 1;
        }
        for (const auto &p : presses) {
            keyboard.press(p);
            usleep(20000);   // a typist's pace: the window's handlers run between keys
        }
    }
    wl_proxy_marshal(keyboard.proxy, 3);
    wl_proxy_destroy(keyboard.proxy);
    wl_display_roundtrip(display);
    std::free(text);
    return 0;
}
