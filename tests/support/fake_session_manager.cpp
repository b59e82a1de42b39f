// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in X session manager for the logout test. Prints the address to put in SESSION_MANAGER, then one line per
// event ("registered", "interact-request", "cancel", "done", "restart-hint N", "save-done", "die",
// "shutdown-cancelled"). A line "logout" or "logout-quiet" on standard input asks the client to save itself for a
// shutdown, with or without interaction.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {
SmsConn g_client = nullptr;
IceConn g_ice = nullptr;
bool g_shutdown = false, g_cancelled = false;

void say(const char *what, int value = -1)
{
    value < 0 ? std::printf("%s\n", what) : std::printf("%s %d\n", what, value);
    std::fflush(stdout);
}
// The client is gone: the next one may connect.
void closed()
{
    IceCloseConnection(g_ice);
    g_ice = nullptr;
    g_client = nullptr;
}

Status newClient(SmsConn c, SmPointer, unsigned long *mask, SmsCallbacks *cb, char **)
{
    g_client = c;
    *mask = ~0ul;
    cb->register_client.callback = [](SmsConn c, SmPointer, char *previousId) -> Status {
        std::free(previousId);
        char *id = SmsGenerateClientID(c);
        SmsRegisterClientReply(c, id);
        std::free(id);
        say("registered");
        SmsSaveYourself(c, SmSaveLocal, False, SmInteractStyleNone, False);   // as the protocol asks of a new client
        return 1;
    };
    cb->interact_request.callback = [](SmsConn c, SmPointer, int) { say("interact-request"), SmsInteract(c); };
    cb->interact_done.callback = [](SmsConn, SmPointer, Bool c) { say((g_cancelled = c) ? "cancel" : "done"); };
    cb->save_yourself_request.callback = [](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {};
    cb->save_yourself_phase2_request.callback = [](SmsConn c, SmPointer) { SmsSaveYourselfPhase2(c); };
    cb->save_yourself_done.callback = [](SmsConn c, SmPointer, Bool) {
        say("save-done");
        if (!g_shutdown)
            SmsSaveComplete(c);
        else if (g_cancelled)
            SmsShutdownCancelled(c), say("shutdown-cancelled");
        else
            SmsDie(c), say("die");
        g_shutdown = false;
    };
    cb->close_connection.callback = [](SmsConn c, SmPointer, int, char **) { SmsCleanUp(c), closed(); };
    // What the client hands over lives as long as this short-lived process.
    cb->set_properties.callback = [](SmsConn, SmPointer, int count, SmProp **props) {
        for (int i = 0; i < count; ++i)
            if (!std::strcmp(props[i]->name, SmRestartStyleHint) && props[i]->num_vals > 0)
                say("restart-hint", *static_cast<unsigned char *>(props[i]->vals[0].value));
    };
    cb->delete_properties.callback = [](SmsConn, SmPointer, int, char **) {};
    cb->get_properties.callback = [](SmsConn c, SmPointer) { SmsReturnProperties(c, 0, nullptr); };
    return 1;
}
Bool anyHost(char *) { return True; }
}

int main()
{
    char error[256] = "";
    int count = 0;
    IceListenObj *listens = nullptr;
    if (!SmsInitialize("stand-in", "1", newClient, nullptr, anyHost, sizeof error, error)
        || !IceListenForConnections(&count, &listens, sizeof error, error)) {
        std::fprintf(stderr, "fake_session_manager: %s\n", error);
        return 1;
    }
    for (int i = 0; i < count; ++i)
        IceSetHostBasedAuthProc(listens[i], anyHost);
    say(IceComposeNetworkIdList(count, listens));
    for (;;) {
        std::vector<pollfd> fds{{0, POLLIN, 0}};
        for (int i = 0; i < count; ++i)
            fds.push_back({IceGetListenConnectionNumber(listens[i]), POLLIN, 0});
        if (g_ice)
            fds.push_back({IceConnectionNumber(g_ice), POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0)
            return 1;
        if (fds[0].revents) {
            char line[64] = "";
            if (!fgets(line, sizeof line, stdin))
                return 0;
            if (g_client && !std::strncmp(line, "logout", 6)) {
                g_shutdown = true;
                g_cancelled = false;
                const bool quiet = !std::strncmp(line, "logout-quiet", 12);
                SmsSaveYourself(g_client, SmSaveBoth, True, quiet ? SmInteractStyleNone : SmInteractStyleAny, False);
            }
        }
        for (int i = 0; i < count; ++i)
            if (fds[1 + i].revents && !g_ice) {
                IceAcceptStatus status;
                g_ice = IceAcceptConnection(listens[i], &status);
                while (g_ice && IceConnectionStatus(g_ice) == IceConnectPending)
                    IceProcessMessages(g_ice, nullptr, nullptr);
            }
        if (g_ice && fds.back().fd == IceConnectionNumber(g_ice) && fds.back().revents
            && IceProcessMessages(g_ice, nullptr, nullptr) == IceProcessMessagesIOError)
            closed();
    }
}
