// tesmar.exe /install [/account DOMAIN\user] and /uninstall: the service
// Tesmar and its event source registered with the system or removed (the
// board's files stay). Each prints what it did; the exit code is 0 for
// success, 5 without the rights, 1 for any other failure. Windows only.
#pragma once
#include <string>

constexpr char kServiceName[] = "Tesmar";
constexpr char kServiceDisplayName[] = "Tesmar in/out board";
constexpr char kServiceAccount[] = "NT AUTHORITY\\NetworkService";

// account "": NetworkService. For another account the password is read
// from standard input.
int InstallService(const std::string &account);
int UninstallService();
