// Resource ids of the server's main window.
#pragma once

#define IDM_OPTIONS 40001
#define IDM_ABOUT 40003
#define IDM_USERS 40004
#define IDM_BOARD_OPTIONS 40005
