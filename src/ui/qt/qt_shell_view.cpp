#include "ui/qt/qt_shell_view.h"

#include <QLabel>

#include "ui/qt/about_form.h"
#include "ui/qt/intro_form.h"
#include "ui/qt/main_form.h"
#include "ui/qt/widget_text.h"

namespace veridane {

void QtShellView::SetLabel1(std::string_view text) {
  if (QLabel* label = form_.Label(1)) label->setText(WidgetText(text));
}

void QtShellView::Intro(int16_t seconds) { veridane::Intro(&form_, seconds); }

void QtShellView::ShowAbout() {
  // At start-up with "?" the main window is not on screen: the box stands alone then.
  veridane::ShowAbout(form_.isVisible() ? &form_ : nullptr, settings_);
}

}  // namespace veridane
