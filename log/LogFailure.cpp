#include "log/LogFailure.h"

namespace {

std::string CauseText(const LogFailure& failure)
{
    switch (failure.cause) {
    case LogFailure::Cause::NotRegularFile:
        return "not a regular file";
    case LogFailure::Cause::OutOfMemory:
        return "out of memory";
    case LogFailure::Cause::RemovedOrRenamed:
        return "removed or renamed";
    default:
        return failure.systemError.Text();
    }
}

}  // namespace

std::string LogFailureText(const std::string& path, const LogFailure& failure)
{
    return std::string(failure.started ? "Logging stopped: " : "Logging could not start: ") + path + ": " +
           CauseText(failure) + (failure.lastRowCutShort ? " (the last row is cut short)" : "");
}

std::string LogReadFailureText(const std::string& path, const SysError& error)
{
    return "Cannot read " + path + ": " + error.Text();
}
