#pragma once

#include <QString>

#include <optional>

namespace singleinstance {

// Where the instances of this program, run by this user, meet: a lock file
// that the first instance holds and the socket it listens on. Both live in
// the user's private runtime folder and are named after a hash of the
// program's file path and the user name, which keeps the socket path short.
struct InstancePaths
{
    QString lockFile;
    QString server;
};

// Empty when there is no runtime folder that only this user can write to;
// the program then runs without single-instance support.
std::optional<InstancePaths> instancePathsForThisProcess();

} // namespace singleinstance
