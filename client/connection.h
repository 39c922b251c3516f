// The client's one request at a time: a fresh socket per OK, in
// asynchronous-select mode on the sign-in dialog, one request line sent once
// the connection completes, the reply read, the socket closed. Windows only.
#pragma once
#include <winsock2.h>
#include <windows.h>

// Socket notifications (wParam the socket, low word of lParam the event,
// high word the error code).
constexpr UINT MSG_SOCKET_EVENT = WM_USER + 100;
// Posted by the dialog once the request fields have been read.
constexpr UINT MSG_SEND_ATTEMPT = WM_USER + 200;
// The dialog's timer that bounds one request.
constexpr UINT_PTR kConnectionTimer = 100;

constexpr size_t kReplyCapacity = 500;

struct ConnectionState {
    SOCKET socket;        // of the current request; INVALID_SOCKET when none
    bool connected;       // the connection completed without error
    int attempts;         // MSG_SEND_ATTEMPT messages handled for this request
    sockaddr_in server_address;
    bool open;            // a request is under way and has not been concluded
    bool failed;          // it cannot complete (no socket, no host)
    bool send_wanted;     // the request fields are ready to go
    bool sent;
    HWND dialog;
    char reply[kReplyCapacity];
    int reply_length;
};

extern ConnectionState g_connection;
// How long a request may take from OK to its reply; 10 seconds.
extern UINT g_connection_wait_ms;

void StartConnection(HWND dialog);
void OnSocketEvent(WPARAM wparam, LPARAM lparam);
void OnSendAttempt(HWND dialog);
void OnConnectionTimer();
void ReadReply();
void CloseConnection();
// Windows Sockets clean-up, once, at Exit.
void EndSockets();
