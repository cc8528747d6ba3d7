#include "settings/Settings.h"

Settings& Settings::instance() {
    static Settings settings;
    return settings;
}
