#pragma once

#include "platform/SettingsStore.h"
#include "settings/SortChoice.h"

#include <QString>
#include <memory>
#include <optional>

class ColumnsInfo;
class Filters;
class User;

// The settings of one run, made by main() (or by a test) and passed to whoever needs them: the
// settings store (one INI file) and what is kept in it, the user profile, the column layout and
// the filter criteria, plus the list's sort choice, which lasts the run. Each part loads from the
// store on first use; nothing is written until save() is called.
class ApplicationSettings {
public:
    // Over the settings file at `filePath`.
    explicit ApplicationSettings(const QString& filePath = SettingsStore::defaultFilePath());
    // Over a store that outlives this object.
    explicit ApplicationSettings(SettingsStore& store);
    ~ApplicationSettings();
    ApplicationSettings(const ApplicationSettings&) = delete;
    ApplicationSettings& operator=(const ApplicationSettings&) = delete;

    SettingsStore& store() { return m_store; }
    User& user();
    ColumnsInfo& columns();
    Filters& filters();
    SortChoice& sortChoice() { return m_sortChoice; }
    // The main window's view of the shown database, "List" or "Board" (section View, value
    // Shown); "List" when none is stored. Written by save().
    QString shownView();
    void setShownView(const QString& view);

    // Writes the profile, the column layout, the filter criteria and the view, with one flush of
    // the store; false when the store's file could not be written.
    bool save();

private:
    std::unique_ptr<SettingsStore> m_ownStore;
    SettingsStore& m_store;
    std::unique_ptr<User> m_user;
    std::unique_ptr<ColumnsInfo> m_columns;
    std::unique_ptr<Filters> m_filters;
    SortChoice m_sortChoice;
    std::optional<QString> m_shownView;
};
