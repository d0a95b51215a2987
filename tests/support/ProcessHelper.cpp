// A small child program for the process tests: it writes exact bytes, waits
// for a line on its input, reads exact bytes, sleeps and exits as told, so
// the tests control byte patterns and timing without a shell.
//
// Each argument is one step, done in order:
//   w:TEXT      write TEXT in one write(); \r \n \t \0 \\ and \xHH are escapes
//   r           wait until a line (or the end of the input) has been read
//   rhex:N      read exactly N bytes of input and write them as hex and "\n"
//   s:MS        sleep MS milliseconds
//   lines:N     write N numbered lines of 80 bytes each ("%07d" + 72 letters + "\n")
//   tick:N:MS   N times: write "tick K\n", then sleep MS milliseconds
//   fds         write the open descriptors, blank separated, and "\n"
//   env         write the environment, one entry a line
//   pid         write the process id and "\n"
//   close0      close the standard input
//   x:CODE      exit with CODE
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace {

void WriteAll(const std::string &AText)
{
    size_t done = 0;
    while (done < AText.size()) {
        const ssize_t n = write(1, AText.data() + done, AText.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            _exit(90);
        done += size_t(n);
    }
}

std::string Unescape(const char *s)
{
    std::string out;
    for (; *s; ++s) {
        if (*s != '\\' || !s[1]) {
            out += *s;
            continue;
        }
        ++s;
        switch (*s) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '0':
            out += '\0';
            break;
        case 'x': {
            const char hex[3] = {s[1], s[1] ? s[2] : '\0', '\0'};
            out += char(std::strtol(hex, nullptr, 16));
            s += 2;
            break;
        }
        default:
            out += *s;
        }
    }
    return out;
}

void ReadLine()
{
    char c;
    for (;;) {
        const ssize_t n = read(0, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || c == '\n')
            return;
    }
}

void ReadHex(long ACount)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (long i = 0; i < ACount;) {
        unsigned char c;
        const ssize_t n = read(0, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out += digits[c >> 4];
        out += digits[c & 15];
        ++i;
    }
    WriteAll(out + "\n");
}

void Lines(long ACount)
{
    std::string block;
    char number[24]; // room for any long
    for (long i = 0; i < ACount; ++i) {
        std::snprintf(number, sizeof number, "%07ld", i);
        block += number;
        block.append(72, char('a' + i % 26));
        block += '\n';
        if (block.size() >= 65536) {
            WriteAll(block);
            block.clear();
        }
    }
    WriteAll(block);
}

void Fds()
{
    std::string out;
    DIR *dir = opendir("/proc/self/fd");
    const int own = dirfd(dir);
    while (dirent *e = readdir(dir)) {
        if (e->d_name[0] == '.' || std::atoi(e->d_name) == own)
            continue;
        out += out.empty() ? "" : " ";
        out += e->d_name;
    }
    closedir(dir);
    WriteAll(out + "\n");
}

void Sleep(long AMs)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(AMs));
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        const size_t colon = step.find(':');
        const char *arg = colon == std::string::npos ? "" : argv[i] + colon + 1;
        if (step.rfind("w:", 0) == 0)
            WriteAll(Unescape(arg));
        else if (step == "r")
            ReadLine();
        else if (step.rfind("rhex:", 0) == 0)
            ReadHex(std::atol(arg));
        else if (step.rfind("s:", 0) == 0)
            Sleep(std::atol(arg));
        else if (step.rfind("lines:", 0) == 0)
            Lines(std::atol(arg));
        else if (step.rfind("tick:", 0) == 0) {
            const long count = std::atol(arg);
            const long ms = std::atol(std::strchr(arg, ':') + 1);
            for (long k = 1; k <= count; ++k) {
                WriteAll("tick " + std::to_string(k) + "\n");
                Sleep(ms);
            }
        } else if (step == "fds")
            Fds();
        else if (step == "env") {
            for (char **e = environ; *e; ++e)
                WriteAll(std::string(*e) + "\n");
        } else if (step == "close0")
            close(0);
        else if (step == "pid")
            WriteAll(std::to_string(getpid()) + "\n");
        else if (step.rfind("x:", 0) == 0)
            return std::atoi(arg);
        else
            return 99;
    }
    return 0;
}
