// A download in a process of its own, for the test that kills one mid-transfer.
//   download_process <url> <local path>
// Prints "progress <percent>" after the blocks that move the percentage and
// "result <0|-1>" at the end; exits with 0 on success.

#include "download/HttpDownload.h"

#include <curl/curl.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <url> <local path>\n", argv[0]);
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    // Runs on this thread after a block has reached the temporary file.
    verdane::HttpDownload download([](int percent) {
        std::printf("progress %d\n", percent);
        std::fflush(stdout);
    });
    const int result =
        download.downloadFile(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    std::printf("result %d\n", result);
    std::fflush(stdout);
    curl_global_cleanup();
    return result == 0 ? 0 : 1;
}
