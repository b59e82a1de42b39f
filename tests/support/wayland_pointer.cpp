// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks into a Wayland compositor through a virtual pointer, as a person with a mouse would (wtype types the
// keys): `wayland_pointer click:X,Y` presses and releases the left button at that point of a 1024x768 output.
// `wayland_pointer hold` keeps a pointer plugged in until the process is ended: without one the seat has none, and
// each run that comes and goes takes the window's pointer away.
#include <wayland-client.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

// The two interfaces of wlr-virtual-pointer-unstable-v1, written out (no package ships its XML): motion_absolute,
// button and frame are what is used.
extern const wl_interface pointerInterface;
static const wl_interface *createTypes[] = {&wl_seat_interface, &pointerInterface};
static const wl_interface *noTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};
static const wl_message managerRequests[] = {{"create_virtual_pointer", "?on", createTypes}};
static const wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 1, managerRequests, 0, nullptr};
static const wl_message pointerRequests[] = {{"motion", "uff", noTypes}, {"motion_absolute", "uuuuu", noTypes},
                                             {"button", "uuu", noTypes}, {"axis", "uuf", noTypes},
                                             {"frame", "", noTypes}};
const wl_interface pointerInterface = {"zwlr_virtual_pointer_v1", 1, 5, pointerRequests, 0, nullptr};

namespace {
wl_seat *seat = nullptr;
wl_proxy *manager = nullptr;

void global(void *, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    if (!std::strcmp(interface, "wl_seat") && !seat)
        seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!std::strcmp(interface, managerInterface.name))
        manager = static_cast<wl_proxy *>(wl_registry_bind(registry, name, &managerInterface, 1));
}
void globalRemove(void *, wl_registry *, uint32_t) {}
const wl_registry_listener registryListener = {global, globalRemove};
}

int main(int argc, char **argv)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return std::fputs("wayland_pointer: no Wayland display\n", stderr), 1;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!seat || !manager)
        return std::fputs("wayland_pointer: the compositor offers no virtual pointer\n", stderr), 1;
    wl_proxy *pointer = wl_proxy_marshal_constructor(manager, 0, &pointerInterface, seat, nullptr);
    const std::string step = argc == 2 ? argv[1] : "";
    unsigned x, y, time = 0;
    if (step == "hold") {
        while (wl_display_dispatch(display) != -1) {
        }
    } else if (std::sscanf(step.c_str(), "click:%u,%u", &x, &y) == 2) {
        for (int button : {-1, 1, 0}) {   // there, then down and up
            wl_proxy_marshal(pointer, 1, ++time, x, y, 1024u, 768u);
            if (button >= 0)
                wl_proxy_marshal(pointer, 2, ++time, 0x110u, unsigned(button));   // BTN_LEFT
            wl_proxy_marshal(pointer, 4);
            wl_display_roundtrip(display);
            usleep(20000);   // a person's pace: the window's handlers run in between
        }
    } else {
        return std::fprintf(stderr, "wayland_pointer: unknown step %s\n", step.c_str()), 1;
    }
    wl_proxy_destroy(pointer);
    wl_display_roundtrip(display);
    return 0;
}
