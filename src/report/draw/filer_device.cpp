// Choosing the resolution a recording measures at.
#include "report/draw/filer_device.h"

namespace report {

void PrepareFiler(TReportFiler& filer, PainterSurface& measure, const PrintTarget* device) {
    DeviceGeometry geometry{8.5, 11, 0, 0, 0, 0, 96, 96};
    if (device && device->HasPrinters())
        geometry = device->Geometry();
    filer.SetDevice(geometry, {});
    DeviceMapping mapping = measure.Mapping();
    mapping.dpiX = geometry.dpiX;
    mapping.dpiY = geometry.dpiY;
    mapping.unprintableLeft = geometry.unprintableLeft;
    mapping.unprintableTop = geometry.unprintableTop;
    measure.SetMapping(mapping);
}

}  // namespace report
