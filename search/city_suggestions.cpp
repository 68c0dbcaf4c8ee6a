#include "search/city_suggestions.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>

#include "app/error_report.h"

namespace {
// Lines the list shows at most.
constexpr int kShownSuggestions = 8;
// Room beside the longest line, pixels.
constexpr int kLineMargin = 12;

// Whether an event of the box's window leaves the list out of place or alone on the screen:
// the window moved, changed size or state, was hidden or lost activation.
bool DisplacesList(const QEvent &event)
{
    switch (event.type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Hide:
    case QEvent::WindowStateChange:
    case QEvent::WindowDeactivate:
        return true;
    default:
        return false;
    }
}
} // namespace

TCitySuggestions::TCitySuggestions(QLineEdit &edit, const TCityIndex &index, TChoose choose)
    : QObject(&edit), FEdit(edit), FList(new QListWidget(edit.window())), FIndex(index), FChoose(std::move(choose))
{
    FList->setObjectName(QStringLiteral("lSugestoes"));
    FList->setAccessibleName(QStringLiteral("Sugestões de cidades"));
    // A window of its own, above the others and unclipped by the box's window, that neither
    // takes the focus nor activates when shown or clicked (as a tooltip does).
    FList->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    FList->setAttribute(Qt::WA_ShowWithoutActivating);
    FList->setFocusPolicy(Qt::NoFocus);
    FList->setFont(edit.font());
    FList->setUniformItemSizes(true);
    FList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(FList, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        RunReported(FEdit.window(), [&] { Choose(FList->row(item)); });
    });
    edit.installEventFilter(this);
    edit.window()->installEventFilter(this);
}

void TCitySuggestions::Update(const QString &selectedName, const QString &currentUF)
{
    // A blank text begins every name.
    if (!FEdit.hasFocus() || BeginsCityName(FEdit.text(), selectedName)) {
        Close();
        return;
    }
    TCityQuery query;
    query.Text = FEdit.text();
    query.PreferredUF = currentUF;
    query.Limit = kShownSuggestions;
    FSuggestions = FIndex.Suggest(query);
    if (FSuggestions.empty()) {
        Close();
        return;
    }
    FList->clear();
    for (const TCitySuggestion &suggestion : FSuggestions)
        FList->addItem(CitySuggestionText(suggestion));
    Highlight(-1);
    Place();
    FList->show();
}

void TCitySuggestions::Close()
{
    FList->hide();
}

bool TCitySuggestions::IsOpen() const
{
    return FList->isVisible();
}

bool TCitySuggestions::eventFilter(QObject *watched, QEvent *event)
{
    bool consumed = false;
    RunReported(FEdit.window(), [&] {
        if (!IsOpen())
            return;
        if (watched != &FEdit) {
            if (DisplacesList(*event))
                Close();
        } else if (event->type() == QEvent::KeyPress) {
            consumed = EditKeyPress(static_cast<const QKeyEvent *>(event)->key());
        } else if (event->type() == QEvent::FocusOut) {
            Close();
        }
    });
    return consumed;
}

bool TCitySuggestions::EditKeyPress(int key)
{
    const int count = FList->count();
    const int row = FList->currentRow();
    switch (key) {
    case Qt::Key_Down: // past the last line: none highlighted, as before the first Down
        Highlight(row < 0 ? 0 : row + 1 < count ? row + 1 : -1);
        return true;
    case Qt::Key_Up:
        Highlight(row < 0 ? count - 1 : row - 1);
        return true;
    case Qt::Key_Escape:
        Close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // With no line highlighted, Enter is the box's own.
        if (row < 0) {
            Close();
            return false;
        }
        Choose(row);
        return true;
    default:
        return false;
    }
}

void TCitySuggestions::Highlight(int row)
{
    FList->setCurrentRow(row);
    if (row < 0)
        FList->clearSelection();
}

void TCitySuggestions::Choose(int row)
{
    if (row < 0 || row >= int(FSuggestions.size()))
        return;
    const TCitySuggestion chosen = FSuggestions[size_t(row)];
    Close();
    FChoose(chosen);
}

void TCitySuggestions::Place()
{
    const int frame = 2 * FList->frameWidth();
    int width = FEdit.width();
    for (int row = 0; row < FList->count(); ++row)
        width = std::max(width, FList->fontMetrics().horizontalAdvance(FList->item(row)->text()) + kLineMargin + frame);
    const int height = FList->sizeHintForRow(0) * FList->count() + frame;
    QRect place(FEdit.mapToGlobal(QPoint(0, FEdit.height())), QSize(width, height));
    // Above the box when the screen ends below it.
    const QRect screen = FEdit.screen()->availableGeometry();
    if (place.bottom() > screen.bottom())
        place.moveBottom(FEdit.mapToGlobal(QPoint(0, 0)).y() - 1);
    FList->setGeometry(place);
}
