#include "ui/about.h"

#include "resources/resource.h"

namespace ovalink {

CAbout::CAbout() : CDialog(IDD_ABOUT, nullptr) {}

// Nothing to exchange or fill; the dialog manager sets the focus.
BOOL CAbout::OnInitDialog() { return TRUE; }

}  // namespace ovalink
