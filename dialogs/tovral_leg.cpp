#include "dialogs/tovral_leg.h"

#include <QHideEvent>
#include <QLabel>
#include <QShowEvent>
#include <QTabWidget>

#include "app/error_report.h"
#include "app/form_style.h"
#include "app/tovral_main.h"
#include "resources/viewer_art/viewer_art.h"

TformLegendas *formLegendas = nullptr;

namespace {
constexpr QSize kPagesSize(411, 285);

// One page: the legend picture, unscaled, at the page's top-left corner, named for screen
// readers after what it explains.
QLabel *AddLegendPage(QTabWidget *pages, const QString &caption, int pictureNumber,
                      const QString &subject)
{
    auto *page = new QWidget;
    auto *picture = new QLabel(page);
    picture->setAccessibleName(QStringLiteral("Legenda: ") + subject);
    picture->setPixmap(
        ViewerArt::Picture(ViewerArt::LegendPicture(pictureNumber), pages->devicePixelRatioF()));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setGeometry(0, 0, 403, 257);
    pages->addTab(page, caption);
    return picture;
}
} // namespace

TformLegendas::TformLegendas(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    Pages = new QTabWidget(this);
    Q_SET_OBJECT_NAME(Pages);
    Pages->setGeometry(QRect(QPoint(0, 0), kPagesSize));
    Image3 = AddLegendPage(Pages, QStringLiteral("Página 1"), 1,
                           QStringLiteral("rodovias federais, ferrovia e pontos de referência"));
    Q_SET_OBJECT_NAME(Image3);
    Image4 =
        AddLegendPage(Pages, QStringLiteral("Página 2"), 2, QStringLiteral("rodovias estaduais"));
    Q_SET_OBJECT_NAME(Image4);
    Image2 = AddLegendPage(Pages, QStringLiteral("Página 3"), 3,
                           QStringLiteral("cidades e vilas por população"));
    Q_SET_OBJECT_NAME(Image2);
    Image1 = AddLegendPage(Pages, QStringLiteral("Página 4"), 4,
                           QStringLiteral("limites, hidrografia e créditos"));
    Q_SET_OBJECT_NAME(Image1);
    Pages->setCurrentIndex(0);
    FormCreate();
}

void TformLegendas::FormCreate()
{
    setWindowTitle(QStringLiteral("Legendas"));
    setFixedSize(Pages->size());
    CentreOnScreen(*this);
}

void TformLegendas::FormShow()
{
    formTovralMain->ShowLegendCaption(true);
}

void TformLegendas::FormClose()
{
    formTovralMain->ShowLegendCaption(false);
}

void TformLegendas::showEvent(QShowEvent *event)
{
    RunReported(this, [&] {
        QWidget::showEvent(event);
        if (!event->spontaneous())
            FormShow();
    });
}

void TformLegendas::hideEvent(QHideEvent *event)
{
    RunReported(this, [&] {
        QWidget::hideEvent(event);
        if (!event->spontaneous())
            FormClose();
    });
}
