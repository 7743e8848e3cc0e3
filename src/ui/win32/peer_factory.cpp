#include "ui/win32/peer_factory.h"

#include "ui/win32/peers.h"

namespace kvn::ui::win32 {

namespace {

template <class Kind, class Peer>
std::unique_ptr<WindowPeer> As(Control& control, PeerHost& host) {
  if (auto* kind = dynamic_cast<Kind*>(&control)) return std::make_unique<Peer>(*kind, host);
  return nullptr;
}

}  // namespace

std::unique_ptr<WindowPeer> MakePeer(Control& control, PeerHost& host) {
  using Maker = std::unique_ptr<WindowPeer> (*)(Control&, PeerHost&);
  // Derived kinds before their bases (a radio group is an item list).
  static const Maker makers[] = {
      &As<Label, LabelPeer>,
      &As<Button, ButtonPeer>,
      &As<CheckBox, CheckBoxPeer>,
      &As<RadioButton, RadioButtonPeer>,
      &As<RadioGroup, RadioGroupPeer>,
      &As<GroupBox, GroupBoxPeer>,
      &As<ComboBox, ComboBoxPeer>,
      &As<TrackBar, TrackBarPeer>,
      &As<SpinEdit, SpinEditPeer>,
      &As<Gauge, GaugePeer>,
      &As<Memo, MemoPeer>,
      &As<ListView, ListViewPeer>,
      &As<StringGrid, StringGridPeer>,
      &As<PageControl, PageControlPeer>,
      &As<TabSheet, TabSheetPeer>,
      &As<StatusBar, StatusBarPeer>,
      &As<HotKeyEdit, HotKeyEditPeer>,
      &As<Image, ImagePeer>,
      &As<Bevel, BevelPeer>,
      &As<Shape, ShapePeer>,
  };
  for (Maker make : makers)
    if (auto peer = make(control, host)) return peer;
  return std::make_unique<ContainerPeer>(control, host);
}

}  // namespace kvn::ui::win32
