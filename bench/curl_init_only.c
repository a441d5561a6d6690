/* A program that only starts libcurl and leaves: what any kestrane-cli run
 * pays before its first exchange. Built twice, as C and with libstdc++
 * loaded (and nothing of it used), to show what loading the C++ runtime
 * costs by itself. */
#include <curl/curl.h>

int main(void) {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return 1;
    curl_global_cleanup();
    return 0;
}
