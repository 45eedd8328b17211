// Stands in for the emulator in tests: appends the arguments it was started
// with to launches.txt beside itself, one line per start, the arguments
// separated by the unit separator character.

#include <cstdio>
#include <string>

int main(int argc, char* argv[])
{
    std::string self = argv[0];
    const std::string dir = self.substr(0, self.find_last_of('/') + 1);
    std::FILE* out = std::fopen((dir + "launches.txt").c_str(), "a");
    if (!out)
        return 1;
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += '\x1f';
        line += argv[i];
    }
    line += '\n';
    std::fputs(line.c_str(), out);
    std::fclose(out);
    return 0;
}
