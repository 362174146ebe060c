// Writes numbered values into a hive file, as a second process would: used by the reliability
// tests, which run two at once or kill one at random moments.
//   hive_writer <file> <prefix> <count>   (count 0: until killed)
// Prints "ready" once its key exists; exits 0 when every write succeeded.
#include "platform/FileHive.h"
#include "platform/StreamPrompts.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    evidor::StreamPrompts prompts(std::cerr);
    evidor::FileHive hive(argv[1], prompts);
    const std::string prefix = argv[2];
    const long count = std::stol(argv[3]);
    const std::string key = "Software\\Linkora\\Test";
    if (!hive.createKey(key))
        return 1;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    int failures = 0;
    for (long i = 0; count == 0 || i < count; ++i)
        if (!hive.writeString(key, prefix + std::to_string(i), std::to_string(i)))
            ++failures;
    return failures == 0 ? 0 : 1;
}
