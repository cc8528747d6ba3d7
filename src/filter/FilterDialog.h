#pragma once

#include <QDialog>
#include <array>
#include <functional>

class Filters;
class QAbstractButton;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QStackedWidget;
class QTabBar;

// The filter dialog: whether filtering is on, which criterion groups apply (status, expected
// order dates, revenue), the ticked probabilities and stages, the forecast choice, the order-date
// range and the revenue range. Apply checks the two ranges, writes every criterion into the
// filter set, saves it and runs the caller's filter pass (every open database filtered, the list
// rebuilt); OK does the same and closes when the ranges passed; Cancel closes without writing.
// Shown modally; it starts from the set's current criteria each time it is made.
class FilterDialog : public QDialog {
    Q_OBJECT
public:
    // `filterPass` runs the set over every open database and rebuilds the list; it is called
    // after each Apply that wrote the criteria.
    FilterDialog(Filters& filters, std::function<void()> filterPass, QWidget* parent = nullptr);

    // The Apply button: checks the ranges and writes the criteria; false when a check failed
    // (its warning was shown, the fields reset and nothing written).
    bool apply();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGeneralPage(QWidget* page);
    void buildStatusPage(QWidget* page);
    void buildOtherPage(QWidget* page);
    void load();

    // The enabling rules: at load every dependent control follows the switch of filtering;
    // a click on a pair runs the rule of that pair.
    void enableAtLoad();
    void useOptionClicked();
    void statusOptionClicked();
    void orderDateOptionClicked();
    void revenueOptionClicked();
    // Shows and enables the page of a tab, hides and disables the others.
    void optionsTabClicked(int index);
    void nextTab();
    void updateSpan();
    // The resets after a failed date or revenue check.
    void resetDateRange();
    void resetRevenueRange();
    // A revenue field's amount in the user's locale; its text becomes the number as it was read
    // ("0" when empty).
    double cleanRevenue(QLineEdit* field);
    // The first revenue bound the user's locale does not read as a number, said next to the
    // fields; nullptr (and the note hidden) when both read.
    QLineEdit* checkRevenueTexts();

    Filters& m_filters;
    std::function<void()> m_filterPass;

    QTabBar* m_tbsOptions;
    QStackedWidget* m_pages;
    std::array<QWidget*, 3> m_picOptions{};
    QGroupBox* m_frameStatus = nullptr;
    QGroupBox* m_frameDates = nullptr;
    QGroupBox* m_frameRevenue = nullptr;
    std::array<QRadioButton*, 2> m_optUse{};
    std::array<QRadioButton*, 2> m_optStatus{};
    std::array<QRadioButton*, 2> m_optOrderDate{};
    std::array<QRadioButton*, 2> m_optRevenue{};
    std::array<QRadioButton*, 2> m_Option1{};
    QListWidget* m_lstProbabilities = nullptr;
    QListWidget* m_lstStage = nullptr;
    std::array<QDateTimeEdit*, 2> m_dateRange{};
    QLineEdit* m_txtDateRange = nullptr;
    std::array<QLineEdit*, 2> m_txtRevenue{};
    QLabel* m_lblRevenueProblem = nullptr;
};
