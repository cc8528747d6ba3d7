#include "board/BoardColumnModel.h"

#include "platform/LocaleText.h"
#include "store/NumericText.h"
#include "store/Opportunities.h"
#include "store/Opportunity.h"

#include <QMimeData>
#include <QSet>
#include <algorithm>

BoardColumnModel::BoardColumnModel(const QString& stage, bool outsideList, QObject* parent)
    : QAbstractListModel(parent), m_stage(stage), m_outsideList(outsideList) {}

QString BoardColumnModel::title() const {
    return m_outsideList ? QStringLiteral("Other stages") : m_stage;
}

QString BoardColumnModel::revenueText() const {
    return LocaleText::currency(m_revenue);
}

QString BoardColumnModel::weightedRevenueText() const {
    return LocaleText::currency(m_weighted);
}

QString BoardColumnModel::accessibleSummary() const {
    const int count = rowCount();
    return QStringLiteral("%1, %2 %3, revenue %4, weighted %5")
        .arg(title())
        .arg(count)
        .arg(count == 1 ? QStringLiteral("card") : QStringLiteral("cards"), revenueText(),
             weightedRevenueText());
}

int BoardColumnModel::percentOf(const QString& probability) {
    // The list's form "25% - Long Shot": its digits read in place, without a copy.
    int digits = 0;
    int percent = 0;
    while (digits < probability.size() && digits < 3 && probability[digits].isDigit() &&
           probability[digits].unicode() < 128) {
        percent = percent * 10 + (probability[digits].unicode() - '0');
        ++digits;
    }
    if (digits > 0 && digits < probability.size() && probability[digits] == QLatin1Char('%'))
        return std::min(percent, 100);
    return percentOfText(probability);
}

int BoardColumnModel::percentOfText(const QString& probability) {
    const double percent = leadingNumber(numericText(probability));
    return static_cast<int>(std::clamp(percent, 0.0, 100.0));
}

BoardColumnModel::Outcome BoardColumnModel::outcomeOf(const QString& probability) {
    // A probability without a number is no outcome at all.
    if (numericText(probability).isEmpty())
        return Outcome::Open;
    const int percent = percentOf(probability);
    if (percent >= 100)
        return Outcome::Won;
    return percent == 0 ? Outcome::Lost : Outcome::Open;
}

QString BoardColumnModel::keyAt(int row) const {
    const Opportunity* opportunity = opportunityAt(row);
    return opportunity ? Opportunities::keyFor(opportunity->recordNumber()) : QString();
}

int BoardColumnModel::rowOf(qint32 recordNumber) const {
    const auto found = std::find_if(m_cards.begin(), m_cards.end(), [recordNumber](const Card& c) {
        return c.recordNumber == recordNumber;
    });
    return found == m_cards.end() ? -1 : static_cast<int>(found - m_cards.begin());
}

const Opportunity* BoardColumnModel::opportunityAt(int row) const {
    if (row < 0 || row >= rowCount())
        return nullptr;
    return m_cards[static_cast<size_t>(row)].opportunity;
}

std::vector<qint32> BoardColumnModel::recordNumbers() const {
    std::vector<qint32> numbers;
    numbers.reserve(m_cards.size());
    for (const Card& card : m_cards)
        numbers.push_back(card.recordNumber);
    return numbers;
}

QString BoardColumnModel::sortText(int row, const QString& columnKey) const {
    const Opportunity* opportunity = opportunityAt(row);
    return opportunity ? opportunity->keyText(columnKey) : QString();
}

int BoardColumnModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_cards.size());
}

QVariant BoardColumnModel::data(const QModelIndex& index, int role) const {
    const Opportunity* o = index.isValid() ? opportunityAt(index.row()) : nullptr;
    if (!o)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case CompanyRole:
        return o->company();
    case DescriptionRole:
        return o->description();
    case RevenueRole:
        return o->revenue();
    case ProbabilityRole:
        return o->probability();
    case OrderDateRole:
        return o->orderDateText();
    case StageRole:
        return o->stage();
    case OutcomeRole:
        return static_cast<int>(outcomeOf(o->probability()));
    case KeyRole:
        return Opportunities::keyFor(o->recordNumber());
    case Qt::AccessibleTextRole:
        return QStringLiteral("%1, %2, %3, %4")
            .arg(o->company(), o->description(), o->stage(), o->revenue());
    case Qt::ToolTipRole:
        return QStringLiteral("%1\n%2\nStage: %3\nRevenue: %4\nProbability: %5\nOrder date: %6")
            .arg(o->company(), o->description(), o->stage(), o->revenue(), o->probability(),
                 o->orderDateText());
    default:
        return {};
    }
}

Qt::ItemFlags BoardColumnModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> BoardColumnModel::roleNames() const {
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(KeyRole, "key");
    names.insert(CompanyRole, "company");
    names.insert(DescriptionRole, "description");
    names.insert(RevenueRole, "revenue");
    names.insert(ProbabilityRole, "probability");
    names.insert(OrderDateRole, "orderDate");
    names.insert(StageRole, "stage");
    names.insert(OutcomeRole, "outcome");
    return names;
}

QString BoardColumnModel::cardMimeType() {
    return QStringLiteral("application/x-corvane-opportunity-key");
}

QStringList BoardColumnModel::mimeTypes() const {
    return {cardMimeType()};
}

QMimeData* BoardColumnModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty())
        return nullptr;
    const QString key = keyAt(indexes.constFirst().row());
    if (key.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(cardMimeType(), key.toUtf8());
    return data;
}

Qt::DropActions BoardColumnModel::supportedDragActions() const {
    return Qt::MoveAction;
}

BoardColumnModel::Card BoardColumnModel::cardOf(const Opportunity& opportunity) {
    const double revenue = opportunity.revenueAmount();
    return {&opportunity, opportunity.recordNumber(), revenue,
            revenue * percentOf(opportunity.probability()) / 100.0};
}

void BoardColumnModel::reset(std::vector<const Opportunity*> cards) {
    beginResetModel();
    m_cards.clear();
    m_cards.reserve(cards.size());
    for (const Opportunity* opportunity : cards)
        m_cards.push_back(cardOf(*opportunity));
    endResetModel();
    recomputeTotals();
}

void BoardColumnModel::insertCard(int row, const Opportunity& opportunity) {
    beginInsertRows(QModelIndex(), row, row);
    m_cards.insert(m_cards.begin() + row, cardOf(opportunity));
    endInsertRows();
    recomputeTotals();
}

void BoardColumnModel::removeCardAt(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    m_cards.erase(m_cards.begin() + row);
    endRemoveRows();
    recomputeTotals();
}

void BoardColumnModel::cardChanged(int row) {
    Card& card = m_cards[static_cast<size_t>(row)];
    card = cardOf(*card.opportunity);
    emit dataChanged(index(row), index(row));
    recomputeTotals();
}

void BoardColumnModel::sync(const std::vector<const Opportunity*>& cards) {
    // The cards that go, in runs of neighbouring rows from the bottom up. The old cards are
    // compared by record number only: their opportunities may have left the collection.
    QSet<qint32> staying;
    staying.reserve(static_cast<qsizetype>(cards.size()));
    for (const Opportunity* opportunity : cards)
        staying.insert(opportunity->recordNumber());
    for (int row = rowCount() - 1; row >= 0;) {
        if (staying.contains(m_cards[static_cast<size_t>(row)].recordNumber)) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && !staying.contains(m_cards[static_cast<size_t>(first - 1)].recordNumber))
            --first;
        beginRemoveRows(QModelIndex(), first, row);
        m_cards.erase(m_cards.begin() + first, m_cards.begin() + row + 1);
        endRemoveRows();
        row = first - 1;
    }
    // The cards that come, in runs, where they stand among the cards that stay.
    size_t row = 0;
    size_t next = 0;
    while (next < cards.size()) {
        if (row < m_cards.size() && m_cards[row].recordNumber == cards[next]->recordNumber()) {
            m_cards[row] = cardOf(*cards[next]);
            ++row;
            ++next;
            continue;
        }
        size_t last = next;
        while (
            last + 1 < cards.size() &&
            !(row < m_cards.size() && m_cards[row].recordNumber == cards[last + 1]->recordNumber()))
            ++last;
        beginInsertRows(QModelIndex(), static_cast<int>(row), static_cast<int>(row + last - next));
        std::vector<Card> run;
        run.reserve(last - next + 1);
        for (size_t i = next; i <= last; ++i)
            run.push_back(cardOf(*cards[i]));
        m_cards.insert(m_cards.begin() + static_cast<qsizetype>(row), run.begin(), run.end());
        endInsertRows();
        row += run.size();
        next = last + 1;
    }
    // Cards left over stood in another order: they go too.
    if (row < m_cards.size()) {
        beginRemoveRows(QModelIndex(), static_cast<int>(row), rowCount() - 1);
        m_cards.erase(m_cards.begin() + static_cast<qsizetype>(row), m_cards.end());
        endRemoveRows();
    }
    recomputeTotals();
}

int BoardColumnModel::insertionRow(qint64 position,
                                   const std::function<qint64(qint32)>& positionOf) const {
    const auto found =
        std::lower_bound(m_cards.begin(), m_cards.end(), position, [&](const Card& card, qint64 p) {
            return positionOf(card.recordNumber) < p;
        });
    return static_cast<int>(found - m_cards.begin());
}

int BoardColumnModel::rowAt(qint64 position,
                            const std::function<qint64(qint32)>& positionOf) const {
    const int row = insertionRow(position, positionOf);
    if (row < rowCount() && positionOf(m_cards[static_cast<size_t>(row)].recordNumber) == position)
        return row;
    return -1;
}

void BoardColumnModel::recomputeTotals() {
    double revenue = 0.0;
    double weighted = 0.0;
    for (const Card& card : m_cards) {
        revenue += card.revenue;
        weighted += card.weighted;
    }
    m_revenue = revenue;
    m_weighted = weighted;
    emit totalsChanged();
}
