#pragma once

#include <QStyledItemDelegate>

// Paints a board card in place of a widget: company, description, revenue and probability, the
// expected order date (and the stage in the column of stages outside the list), each line elided
// to the card's width; a won card has a green edge and a "Won" mark, a lost one a grey edge, a
// "Lost" mark and muted text.
class CardDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CardDelegate(QObject* parent = nullptr);

    // Whether cards show their stage (the column of stages outside the list).
    void setShowsStage(bool shows) { m_showsStage = shows; }

    // The height of a card in a font.
    static int cardHeight(const QFontMetrics& metrics);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    bool m_showsStage = false;
};
