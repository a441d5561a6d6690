#pragma once

// The file name, size and MD5 of the share page, shown with the kind label.

#include "platform/text.h"
#include "resolve/window_surface.h"

namespace kestrane {

// "filename=", the encoded name, then a run of backslashes and a quote.
inline constexpr const char* kFileNamePattern = R"(filename=(.*?)(\\+\x22))";
// An escaped script entry whose key ends in "size"; the value between its quotes.
inline constexpr const char* kSizePattern = R"(size\\+\x22:\\+\x22(.*?)(\\+\x22))";
// The same entry for a key that ends in "md5".
inline constexpr const char* kMd5Pattern = R"(md5\\+\x22:\\+\x22(.*?)(\\+\x22))";

struct FileDetails {
    Text fileName;  // decoded
    Text kindLabel;
    double size = 0;
    Text md5;  // as the page gives it
};

// The last entry of each kind in `page`; a kind without an entry stays empty (size 0).
FileDetails FindFileDetails(const Text& page);

// Finds the details and writes them into the window: file name, kind label,
// size text, MD5, in this order.
void RunFileDetailsStage(const Text& page, WindowSurface& window);

}  // namespace kestrane
