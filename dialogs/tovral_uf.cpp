#include "dialogs/tovral_uf.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/error_report.h"
#include "app/form_style.h"
#include "app/viewer_data.h"

TformPickUF *formPickUF = nullptr;

namespace {
constexpr QSize kClientSize(352, 164);
constexpr int kListItemHeight = 18;
} // namespace

TformPickUF::TformPickUF(TViewerData &data, QWidget *parent)
    : QDialog(parent, kDialogWindowFlags), FData(data)
{
    setFixedSize(kClientSize);
    setModal(true);

    Image1 = AddSmallBanner(*this);
    Q_SET_OBJECT_NAME(Image1);

    Label1 = new QLabel(QStringLiteral("Escolha um estado:"), this);
    Q_SET_OBJECT_NAME(Label1);
    Label1->setFont(FormFont(15, true));
    Label1->move(40, 67);
    Label1->adjustSize();

    cUF = new QComboBox(this);
    Q_SET_OBJECT_NAME(cUF);
    cUF->setFont(FormFont(16));
    cUF->setGeometry(40, 86, 257, cUF->sizeHint().height());
    cUF->setStyleSheet(QStringLiteral("QComboBox QAbstractItemView::item { min-height: %1px; }")
                           .arg(kListItemHeight));
    cUF->setCursor(HandCursor());
    Label1->setBuddy(cUF);

    const TOkCancelButtons buttons = AddOkCancelButtons(*this);
    bOK = buttons.OK;
    Q_SET_OBJECT_NAME(bOK);
    bCancel = buttons.Cancel;
    Q_SET_OBJECT_NAME(bCancel);
    for (QPushButton *button : {bOK, bCancel})
        button->setCursor(HandCursor());
    setTabOrder(cUF, bOK);
    setTabOrder(bOK, bCancel);

    // Esc and the close box reject the dialog, as bCancel does.
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cUF, &QComboBox::currentIndexChanged, this, Reported(this, &TformPickUF::cUFChange));

    RunReported(this, [this] { FormCreate(); });
}

void TformPickUF::FormCreate()
{
    setWindowTitle(ApplicationTitle());
    FData.ReadStateCatalogue();
    const QSignalBlocker quiet(cUF);
    cUF->clear();
    for (int line = 0; line < FData.FUFLines().size(); ++line)
        cUF->addItem(FData.States().DisplayName(line));
    if (cUF->count() > 0)
        cUF->setCurrentIndex(0);
    cUFChange();
}

void TformPickUF::cUFChange()
{
    const int selected = cUF->currentIndex();
    if (selected >= 0 && selected < FData.FUFLines().size())
        FSelectedUF = FData.States().CodeOf(selected);
}

QString TformPickUF::SelectedName() const
{
    return cUF->currentText();
}

int TformPickUF::SelectedIndex() const
{
    return cUF->currentIndex();
}

void TformPickUF::SelectState(int index)
{
    if (index < 0 || index >= cUF->count())
        return;
    {
        const QSignalBlocker quiet(cUF);
        cUF->setCurrentIndex(index);
    }
    cUFChange();
}

void TformPickUF::FormShow()
{
    cUF->setFocus();
}

void TformPickUF::showEvent(QShowEvent *event)
{
    RunReported(this, [&] {
        QDialog::showEvent(event);
        CentreOnScreen(*this);
        FormShow();
    });
}
