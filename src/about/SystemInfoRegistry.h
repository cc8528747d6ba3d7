#pragma once

#include "platform/Result.h"

#include <QString>
#include <QStringList>
#include <optional>

// Where the system-information program is found. The look-up takes two places, in order:
//   1. the command line stored in the settings, section "SystemInfo", value "Program": a program
//      name (looked up on the PATH) or a path, optionally followed by arguments;
//   2. the first of a fixed list of system-information programs (ProgramsOnPath) found on the
//      PATH.
// A stored command whose program does not exist is passed over, so the PATH look-up follows.
class SettingsStore;

class SystemInfoRegistry {
public:
    static constexpr const char* Section = "SystemInfo";
    static constexpr const char* Key = "Program";

    struct Command {
        QString program; // absolute path of an executable file
        QStringList arguments;
    };

    // The programs looked for on the PATH, in order.
    static const QStringList& programsOnPath();
    // The text shown when no program is found or it fails to start.
    static QString unavailableText();

    // The command stored in the settings, when it names an existing executable.
    static std::optional<Command> fromSettings(const SettingsStore& store);
    // The first program of programsOnPath() found on the PATH.
    static std::optional<Command> fromPath();
    // The command to start, or a failure carrying unavailableText().
    static ResultValue<Command> find(const SettingsStore& store);
};
