// The server's one settings record, filled from the settings store at
// start-up and changed by the administration dialogs.
#pragma once
#include <cstddef>

struct ServerSettings {
    char WorkingDir[300];
    char Port[12];
    char WebPort[12]; // the web port, decimal text; empty: none is served
    char HTMLFile[350];
    char Header[1000];
    char Footer[1000];
    bool History;       // stored as "TRUE" or "FALSE"; only "TRUE" turns it on
    char ResetTime[6];  // "HH:MM": the daily reset; empty: never
    bool WebSignIn;     // stored "TRUE": members may sign in and out from a browser
    char WebHosts[500]; // more names of this server, separated by "%"
    // The keys, kept as their hashes (common/key_hash.h) in the settings
    // and in memory, never in clear; empty: no key. WebKeyHash: the key a
    // browser's sign-in must give; no administration without AdminKeyHash;
    // MarshalKeyHash (or AdminKeyHash) gives the roll call's commands.
    // Whoever checks a key follows these fields, so a key set or cleared
    // here is in effect at once.
    char WebKeyHash[161];
    char AdminKeyHash[161];
    char MarshalKeyHash[161];
};

// The warning (text and caption) when the settings store refuses a setting.
extern const char kStoreFailedText[];
extern const char kStoreFailedCaption[];

// The data file's path: WorkingDir, the platform's separator, "tesmar.dat".
// False when it does not fit in capacity bytes.
bool BuildDataFilePath(const ServerSettings &settings, char *out, size_t capacity);
