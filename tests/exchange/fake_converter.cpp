// A stand-in for quelto-convert-access that misbehaves as a damaged file makes
// the real one misbehave, chosen by QUELTO_FAKE_CONVERTER:
//   crash    stops with SIGSEGV
//   hang     reports progress once, then waits for ever
//   silent   waits for ever without a word
//   grow     takes memory until there is none
//   mute     ends without an answer
//   scratch  makes the scratch file it is given (write OLD SCRATCH), then waits
//            for ever; asked for a plan, it only waits
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

void progress()
{
    std::puts("progress 1 10");
    std::fflush(stdout);
}

[[noreturn]] void waitForEver()
{
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

} // namespace

int main(int argc, char** argv)
{
    const char* mode = std::getenv("QUELTO_FAKE_CONVERTER");
    const std::string what = mode ? mode : "";
    if (what == "crash") {
        progress();
        std::raise(SIGSEGV);
    } else if (what == "hang") {
        progress();
        waitForEver();
    } else if (what == "silent") {
        waitForEver();
    } else if (what == "grow") {
        std::vector<char*> blocks;
        for (;;) {
            char* block = new char[16 << 20];
            std::memset(block, 1, 16 << 20);
            blocks.push_back(block);
            progress();
        }
    } else if (what == "scratch") {
        if (FILE* file = argc == 4 ? std::fopen(argv[3], "w") : nullptr) {
            std::fputs("SQLite format 3", file);
            std::fputc(0, file);
            std::fclose(file);
        }
        progress();
        waitForEver();
    }
    return 0; // mute
}
