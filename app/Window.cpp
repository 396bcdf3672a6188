#include "app/Window.h"

namespace kalvor {

Window::Window(const Ports& ports, ChartRaster chart)
    : controls_(chart),
      form_(controls_, state_, ports.platform, ports.random),
      panel_(controls_, state_, ports.platform, ports.files),
      printing_(controls_, state_, ports.platform, ports.printer) {
    form_.Form_Load();
}

}  // namespace kalvor
