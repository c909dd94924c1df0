// The control-surface suite on the windowless fake: the fake keeps the same
// promises as the window front ends, so the neutral dialog's tests that rely
// on it hold for them too.
#include <string>

#include "dialog/dialog_template.h"
#include "dialog/logger_dialog.h"
#include "tests/support/control_surface_suite.h"
#include "tests/support/fake_surface.h"

namespace brisko::testing {
namespace {

class FakeFront {
 public:
  FakeFront(SettingsStore& settings, const Platform& platform) : dialog_(surface_, settings, platform) {
    // Toolkits notify changes from inside them, the program's as well.
    surface_.onChange = [this](int id) { dialog_.OnCommand(id); };
    dialog_.OnInitDialog();
  }

  ControlSurface& surface() { return surface_; }
  void Pump() {
    for (const PostedNotice& notice : surface_.TakePosted()) {
      if (notice.portLost) {
        dialog_.OnPortLostArrived(notice.run);
      } else {
        dialog_.OnSentenceArrived(notice.sentence);
      }
    }
    for (const auto& [port, openable] : surface_.TakeProbed()) dialog_.OnPortProbedArrived(port, openable);
  }
  void PressOnNextBox(MessageBoxAnswer answer) {
    surface_.answer = answer;
    childrenBefore_ = surface_.children.size();
  }
  SeenBox LastBox() const {
    if (surface_.children.size() > childrenBefore_) {
      const bool deleteFlight = surface_.children.back() == ChildDialog::DeleteFlight;
      return {"", deleteFlight ? DeleteFlightTemplate().title : "", {}};
    }
    if (surface_.boxes.empty()) return {};
    const FakeMessageBox& box = surface_.boxes.back();
    return {box.text, box.caption, ButtonsOf(box.kind)};
  }
  std::string Displayed(int id) const {
    if (id != kIdPortList) return surface_.Text(id);
    const int selection = surface_.listSelection;
    return selection < 0 ? std::string() : surface_.ListEntry(id, selection);
  }
  bool Enabled(int id) const { return surface_.controls.at(id).enabled; }
  bool Visible(int id) const { return surface_.controls.at(id).shown; }
  int FocusedId() const { return surface_.focus; }
  std::string SelectedText(int id) const {
    return surface_.focus == id && surface_.selectedAll ? surface_.Text(id) : std::string();
  }
  void Type(int id, const std::string& utf8) { surface_.Type(id, utf8); }

 private:
  FakeSurface surface_;
  LoggerDialog dialog_;
  std::size_t childrenBefore_ = 0;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, ControlSurfaceSuite, FakeFront);

}  // namespace
}  // namespace brisko::testing
