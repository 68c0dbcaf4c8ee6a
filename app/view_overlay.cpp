#include "app/view_overlay.h"

QPointF TViewGeometry::ToView(TMapPoint point) const
{
    const QPointF device(double(DeviceMiddle.x() + (point.X - Origin.X) * DeviceScale),
                         double(DeviceMiddle.y() + (point.Y - Origin.Y) * DeviceScale));
    return device / DevicePixelRatio + Shift;
}

TMapPoint TViewGeometry::ToFullMap(QPointF viewPoint) const
{
    const QPointF device = (viewPoint - Shift) * DevicePixelRatio;
    return {Origin.X + (device.x() - DeviceMiddle.x()) / DeviceScale,
            Origin.Y + (device.y() - DeviceMiddle.y()) / DeviceScale};
}
