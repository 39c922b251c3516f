// Case folding of the ASCII letters only: names compare and requests match
// the same way under every code page.
#pragma once

inline unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

inline char FoldAscii(char c) {
    return static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
}
