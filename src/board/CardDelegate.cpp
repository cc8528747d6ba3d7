#include "board/CardDelegate.h"

#include "board/BoardColumnModel.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Lines = 4;

int margin(const QFontMetrics& metrics) {
    return qMax(2, metrics.height() / 4);
}

int padding(const QFontMetrics& metrics) {
    return qMax(3, metrics.height() / 3);
}

} // namespace

CardDelegate::CardDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

int CardDelegate::cardHeight(const QFontMetrics& metrics) {
    return Lines * metrics.lineSpacing() + 2 * padding(metrics) + 2 * margin(metrics);
}

QSize CardDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const QFontMetrics metrics(option.font);
    const int height = cardHeight(metrics);
    // The view gives the width; as a hint, room for a company name.
    return {metrics.averageCharWidth() * 20, height};
}

void CardDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    using Outcome = BoardColumnModel::Outcome;
    const QFontMetrics metrics(option.font);
    const int outer = margin(metrics);
    const int inner = padding(metrics);
    const QRect card = option.rect.adjusted(outer, outer, -outer, -outer);
    const auto outcome = static_cast<Outcome>(index.data(BoardColumnModel::OutcomeRole).toInt());
    const bool selected = option.state & QStyle::State_Selected;
    const bool focused = option.state & QStyle::State_HasFocus;
    const QPalette& palette = option.palette;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(card).adjusted(0.5, 0.5, -0.5, -0.5), inner, inner);
    painter->fillPath(shape, selected ? palette.color(QPalette::Highlight)
                                      : palette.color(QPalette::Base));
    // The outcome shows on the card's left edge.
    if (outcome != Outcome::Open) {
        const QColor edge =
            outcome == Outcome::Won ? QColor(0x2e, 0x8b, 0x3e) : QColor(0x80, 0x80, 0x80);
        painter->save();
        painter->setClipPath(shape);
        painter->fillRect(QRect(card.left(), card.top(), qMax(4, inner), card.height()), edge);
        painter->restore();
    }
    painter->setPen(QPen(selected || focused ? palette.color(QPalette::Highlight)
                                             : palette.color(QPalette::Mid),
                         focused ? 2 : 1));
    painter->drawPath(shape);
    painter->setRenderHint(QPainter::Antialiasing, false);

    const QRect text = card.adjusted(inner + (outcome != Outcome::Open ? qMax(4, inner) : 0), inner,
                                     -inner, -inner);
    const int line = metrics.lineSpacing();
    QColor ink = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    if (outcome == Outcome::Lost && !selected)
        ink = palette.color(QPalette::Disabled, QPalette::Text);
    painter->setPen(ink);

    // Line 1: the company in bold, and the outcome's mark at the right.
    QFont bold = option.font;
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold);
    QString mark;
    if (outcome == Outcome::Won)
        mark = QStringLiteral("Won");
    else if (outcome == Outcome::Lost)
        mark = QStringLiteral("Lost");
    int markWidth = 0;
    QRect row(text.left(), text.top(), text.width(), line);
    if (!mark.isEmpty()) {
        painter->setFont(bold);
        markWidth = boldMetrics.horizontalAdvance(mark) + inner;
        painter->drawText(row, Qt::AlignRight | Qt::AlignVCenter, mark);
    }
    painter->setFont(bold);
    const QString company = index.data(BoardColumnModel::CompanyRole).toString();
    painter->drawText(row.adjusted(0, 0, -markWidth, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      boldMetrics.elidedText(company, Qt::ElideRight, row.width() - markWidth));
    painter->setFont(option.font);

    // Line 2: the description.
    row.translate(0, line);
    painter->drawText(row, Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(index.data(BoardColumnModel::DescriptionRole).toString(),
                                         Qt::ElideRight, row.width()));

    // Line 3: the revenue at the left, the probability at the right; the revenue keeps its
    // width up to room for the probability's percentage.
    row.translate(0, line);
    const QString revenue = index.data(BoardColumnModel::RevenueRole).toString();
    const QString probability = index.data(BoardColumnModel::ProbabilityRole).toString();
    const int gap = metrics.averageCharWidth();
    // One pixel more than the rounded advance, so that a revenue that fits is never elided.
    const int revenueWidth = qMax(0, qMin(metrics.horizontalAdvance(revenue) + 1,
                                          row.width() - 7 * metrics.averageCharWidth()));
    painter->drawText(QRect(row.left(), row.top(), revenueWidth, line),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(revenue, Qt::ElideRight, revenueWidth));
    const int probabilityWidth = qMax(0, row.width() - revenueWidth - gap);
    painter->drawText(QRect(row.right() - probabilityWidth + 1, row.top(), probabilityWidth, line),
                      Qt::AlignRight | Qt::AlignVCenter,
                      metrics.elidedText(probability, Qt::ElideRight, probabilityWidth));

    // Line 4: the expected order date, and the stage where the column does not say it.
    row.translate(0, line);
    QString last =
        QStringLiteral("Order date ") + index.data(BoardColumnModel::OrderDateRole).toString();
    if (m_showsStage) {
        const QString stage = index.data(BoardColumnModel::StageRole).toString();
        last += QStringLiteral("  ·  ") + (stage.isEmpty() ? QStringLiteral("(no stage)") : stage);
    }
    painter->drawText(row, Qt::AlignLeft | Qt::AlignVCenter,
                      metrics.elidedText(last, Qt::ElideRight, row.width()));
    painter->restore();
}
