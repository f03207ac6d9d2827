#include "platform/x11/WindowOwnership.h"

#include <limits>

namespace WindowOwnership {
namespace {

qint32 processNumber(std::optional<quint32> number)
{
    if (!number || *number == 0 || *number > quint32(std::numeric_limits<qint32>::max()))
        return 0;
    return qint32(*number);
}

} // namespace

qint32 processOf(const Evidence& evidence)
{
    if (evidence.serverNamesProcesses)
        return processNumber(evidence.serverProcess);
    // A process number means nothing on another machine: never act on it here.
    return evidence.claimedOnThisMachine ? processNumber(evidence.claimedProcess) : 0;
}

bool mayQuit(qint32 process, const QList<qint32>& ownersOfWindows, qint32 ownProcess, std::optional<uid_t> processUser,
             uid_t user)
{
    return process > 0 && process != ownProcess && ownersOfWindows.contains(process) && processUser == user;
}

} // namespace WindowOwnership
