#include "dialogs/tovral_area.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "app/error_report.h"
#include "app/form_style.h"

TformArea *formArea = nullptr;

namespace {
constexpr QSize kClientSize(351, 165);
} // namespace

TformArea::TformArea(QWidget *parent)
    : QDialog(parent, kDialogWindowFlags)
{
    setFixedSize(kClientSize);
    setModal(true);

    Image1 = AddSmallBanner(*this);
    Q_SET_OBJECT_NAME(Image1);

    lTitulo = new QLabel(QStringLiteral("Escolha "), this);
    Q_SET_OBJECT_NAME(lTitulo);
    lTitulo->setFont(FormFont(15, true));
    lTitulo->move(16, 67);
    lTitulo->adjustSize();

    rb1 = new QRadioButton(QStringLiteral("Apenas a área visível"), this);
    Q_SET_OBJECT_NAME(rb1);
    rb1->setGeometry(40, 96, 137, 17);
    rb1->setChecked(true);
    rb2 = new QRadioButton(QStringLiteral("Todo o mapa"), this);
    Q_SET_OBJECT_NAME(rb2);
    rb2->setGeometry(208, 96, 89, 17);

    const TOkCancelButtons buttons = AddOkCancelButtons(*this);
    bOK = buttons.OK;
    Q_SET_OBJECT_NAME(bOK);
    bCancel = buttons.Cancel;
    Q_SET_OBJECT_NAME(bCancel);
    setTabOrder(bOK, bCancel);
    setTabOrder(bCancel, rb1);
    setTabOrder(rb1, rb2);

    connect(bOK, &QPushButton::clicked, this, Reported(this, &TformArea::bOKClick));
    FormCreate();
}

void TformArea::FormCreate()
{
    setWindowTitle(ApplicationTitle());
}

void TformArea::SetQuestion(const QString &question)
{
    lTitulo->setText(question);
}

void TformArea::FormShow()
{
    rb1->setFocus();
}

void TformArea::bOKClick()
{
    FVisibleAreaOnly = rb1->isChecked();
    accept();
}

void TformArea::showEvent(QShowEvent *event)
{
    RunReported(this, [&] {
        QDialog::showEvent(event);
        // The question's text is set by the caller just before showing.
        lTitulo->adjustSize();
        CentreOnScreen(*this);
        FormShow();
    });
}
