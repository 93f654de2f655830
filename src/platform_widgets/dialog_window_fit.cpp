#include "platform_widgets/dialog_window.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// A list or a text view keeps this many lines of text when it shrinks.
constexpr int kScrollingLines = 4;
// Rounds of closing up: each scales by what the last one left over.
constexpr int kFitRounds = 24;

bool Scrolls(ControlKind kind, unsigned style) {
    return kind == ControlKind::ListView || kind == ControlKind::RichEdit ||
           (kind == ControlKind::Edit && (style & ES_MULTILINE));
}

int Scaled(int length, double factor) {
    return static_cast<int>(std::lround(length * factor));
}

// Whether `outer` holds `inner` (a group box and its buttons).
bool Holds(const QRect &outer, const QRect &inner) {
    return outer != inner && outer.contains(inner);
}

bool SideBySide(const QRect &a, const QRect &b) {
    return a.right() < b.left() || b.right() < a.left();
}

struct Layout {
    std::vector<QRect> rects;
    int bottom = 0; // below the lowest control
    int height = 0; // with the margin under it
};

// The template's rectangles with every top and height scaled by `factor`,
// no height under its minimum, and each control kept below those that
// were above it and inside those that held it.
Layout CloseUp(const std::vector<QRect> &natural, const std::vector<int> &minimum, QSize client,
               double factor) {
    std::vector<std::size_t> order(natural.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&natural](std::size_t a, std::size_t b) {
        return natural[a].top() < natural[b].top();
    });
    Layout out;
    out.rects = natural;
    int lowest = 0; // the lowest bottom of the template's controls
    std::vector<bool> placed(natural.size(), false);
    for (std::size_t i : order) {
        const QRect &was = natural[i];
        lowest = std::max(lowest, was.bottom() + 1);
        int top = Scaled(was.top(), factor);
        const int height = std::max(Scaled(was.height(), factor), minimum[i]);
        for (std::size_t j = 0; j < natural.size(); ++j) {
            if (!placed[j] || SideBySide(natural[j], was))
                continue;
            const QRect &now = out.rects[j];
            if (Holds(natural[j], was)) {
                top = std::max(top, now.top() + Scaled(was.top() - natural[j].top(), factor));
            } else if (natural[j].bottom() < was.top()) {
                const int gap = std::max(Scaled(was.top() - natural[j].bottom() - 1, factor), 1);
                top = std::max(top, now.bottom() + 1 + gap);
            }
        }
        out.rects[i] = QRect(was.left(), top, was.width(), height);
        placed[i] = true;
        // A frame grows to hold what it held.
        for (std::size_t j = 0; j < natural.size(); ++j) {
            if (!placed[j] || j == i || !Holds(natural[j], was))
                continue;
            const int padding = std::max(Scaled(natural[j].bottom() - was.bottom(), factor), 1);
            QRect &frame = out.rects[j];
            frame.setBottom(std::max(frame.bottom(), out.rects[i].bottom() + padding));
        }
    }
    int bottom = 0;
    for (const QRect &rect : out.rects)
        bottom = std::max(bottom, rect.bottom() + 1);
    out.bottom = bottom;
    out.height = bottom + std::max(Scaled(client.height() - lowest, factor), 0);
    return out;
}

// The same rectangle with its axes swapped, so that closing up across
// is closing up down.
QRect Transposed(const QRect &rect) {
    return QRect(rect.y(), rect.x(), rect.height(), rect.width());
}

// Closes `natural` up until it takes at most `room` down, or as little as
// the minimums allow.
Layout FitDown(const std::vector<QRect> &natural, const std::vector<int> &minimum, QSize client,
               int room) {
    double factor = static_cast<double>(room) / client.height();
    Layout layout;
    for (int round = 0; round < kFitRounds; ++round) {
        layout = CloseUp(natural, minimum, client, factor);
        if (layout.height <= room)
            break;
        factor *= static_cast<double>(room) / layout.height;
    }
    // The margin under the controls gives way last.
    if (layout.height > room && layout.bottom <= room)
        layout.height = room;
    return layout;
}

} // namespace

std::vector<int> DialogWindow::MinimumWidths() const {
    std::vector<int> minimum(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const Item &item = m_items[i];
        QWidget *widget = item.widget;
        const int natural = m_natural[i].width();
        int needed = natural;
        switch (item.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
        case ControlKind::RadioButton:
        case ControlKind::ComboDropDownList:
            needed = widget->sizeHint().width();
            break;
        case ControlKind::GroupBox:
            needed = fontMetrics().height(); // it grows to hold its buttons
            break;
        case ControlKind::Label: {
            // A label that wraps would grow taller; one whose text comes
            // later is left as wide as the template makes it.
            auto *label = static_cast<QLabel *>(widget);
            if (!label->wordWrap() && !label->text().isEmpty()) {
                const QString shown =
                    (item.style & SS_NOPREFIX) ? label->text() : WithoutMnemonic(label->text());
                needed = fontMetrics().horizontalAdvance(shown) + 2;
            }
            break;
        }
        default: // edits, lists and text views keep their width
            break;
        }
        minimum[i] = std::min(natural, std::max(needed, 1));
    }
    return minimum;
}

std::vector<int> DialogWindow::MinimumHeights() const {
    std::vector<int> minimum(m_items.size());
    const int line = fontMetrics().height();
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const Item &item = m_items[i];
        QWidget *widget = item.widget;
        const int natural = m_natural[i].height();
        int needed = natural;
        if (Scrolls(item.kind, item.style)) {
            needed =
                kScrollingLines * line + 2 * (widget->height() - widget->contentsRect().height());
        } else if (item.kind == ControlKind::GroupBox) {
            needed = line; // it grows to hold its buttons
        } else if (auto *label = qobject_cast<QLabel *>(widget);
                   label && label->wordWrap() && label->hasHeightForWidth()) {
            needed = label->heightForWidth(m_natural[i].width());
        } else {
            needed = widget->sizeHint().height();
        }
        minimum[i] = std::min(natural, std::max(needed, 1));
    }
    return minimum;
}

QSize DialogWindow::FitControls(QSize room) {
    std::vector<QRect> rects = m_natural;
    QSize client = m_naturalClient;
    // Each way is closed up only where that makes it fit: a dialog that
    // must scroll anyway keeps the template's arrangement that way.
    if (client.width() > room.width() && client.width() > 0) {
        std::vector<QRect> across;
        across.reserve(rects.size());
        for (const QRect &rect : rects)
            across.push_back(Transposed(rect));
        const Layout layout = FitDown(across, MinimumWidths(), client.transposed(), room.width());
        if (layout.height <= room.width()) {
            for (std::size_t i = 0; i < rects.size(); ++i)
                rects[i] = Transposed(layout.rects[i]);
            client.setWidth(layout.height);
        }
    }
    if (client.height() > room.height() && client.height() > 0) {
        const Layout layout = FitDown(rects, MinimumHeights(), client, room.height());
        if (layout.height <= room.height()) {
            rects = layout.rects;
            client.setHeight(layout.height);
        }
    }
    const bool fits = client.width() <= room.width() && client.height() <= room.height();
    if (!fits && !m_scroll)
        ScrollControls();
    // What the dialog itself did to a control since it was last placed
    // here (the data dialog moves its year fields) is kept.
    if (m_applied.empty())
        m_applied = m_natural;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        QWidget *widget = m_items[i].widget;
        const QRect &before = m_applied[i];
        const QRect now(rects[i].topLeft() + (widget->pos() - before.topLeft()),
                        rects[i].size() + (widget->size() - before.size()));
        if (now != widget->geometry())
            widget->setGeometry(now);
        m_applied[i] = rects[i];
    }
    if (!m_scroll)
        return client;
    m_content->setFixedSize(client);
    // Room for the scroll bar across the side that scrolls, where the
    // screen has it, so that the other side need not scroll as well.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    QSize wanted = client;
    if (client.width() > room.width())
        wanted.rheight() += bar;
    if (client.height() > room.height())
        wanted.rwidth() += bar;
    const QSize shown = wanted.boundedTo(room);
    m_scroll->setGeometry(QRect(QPoint(0, 0), shown));
    return shown;
}

void DialogWindow::ScrollControls() {
    // The controls move into a page of their own, scrolled inside the
    // window; the page keeps their tab order.
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(false);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_content = new QWidget;
    for (const Item &item : m_items) {
        const bool hidden =
            item.widget->isHidden() && item.widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
        item.widget->setParent(m_content);
        item.widget->setVisible(!hidden);
    }
    m_scroll->setWidget(m_content);
    m_scroll->show();
    QWidget *previous = nullptr;
    for (const Item &item : m_items) {
        if (!item.tabStop)
            continue;
        if (previous)
            setTabOrder(previous, item.widget);
        previous = item.widget;
    }
    // A control given the focus, by the keyboard or by a check that
    // failed, is scrolled into view.
    connect(qApp, &QApplication::focusChanged, m_scroll, [this](QWidget *, QWidget *now) {
        if (now && m_content && m_content->isAncestorOf(now))
            m_scroll->ensureWidgetVisible(now);
    });
}
