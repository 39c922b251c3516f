// The engine and the status line speak Windows Sockets error codes (the
// status texts are the Windows server's own): the POSIX errno values the
// native front end meets, as those codes.
#pragma once

int WinsockCode(int posix_errno);
