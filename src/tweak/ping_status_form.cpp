#include "tweak/ping_status_form.h"

#include <utility>

#include "core/helpers.h"
#include "ui/captions.h"

namespace vantrel {
namespace {

constexpr const wchar_t* kComponent = L"PingStatusForm";

StatusTexts ReadStatusTexts(const ui::CaptionReader& captions) {
  StatusTexts t;  // the Korean defaults
  auto read = [&](const wchar_t* key, std::wstring& text) { text = captions.Text(key, text); };
  read(L"Msg_TcpIp", t.tcpIp);
  read(L"Msg_TcpAckFrequencySet", t.ackFrequencySet);
  read(L"Msg_TcpAckFrequencyClear", t.ackFrequencyClear);
  read(L"Msg_TCPNoDelaySet", t.noDelaySet);
  read(L"Msg_TCPNoDelayClear", t.noDelayClear);
  read(L"Msg_TcpDelAckTicksSet", t.delAckTicksSet);
  read(L"Msg_TcpDelAckTicksClear", t.delAckTicksClear);
  read(L"Msg_MSMQServerInfo", t.msmqServerInfo);
  read(L"Msg_IPAddrress", t.ipAddress);
  read(L"Msg_AcrStatus", t.acrStatus);
  read(L"Msg_PingSet", t.pingSet);
  read(L"Msg_PingClear", t.pingClear);
  return t;
}

}  // namespace

TPingStatusForm::TPingStatusForm(HWND owner, std::wstring toggleCaption, std::wstring (*localIp)())
    : owner_(owner), toggleCaption_(std::move(toggleCaption)), localIp_(localIp ? localIp : GetLocalIpAddress) {}

bool TPingStatusForm::Create() {
  ui::InitializeUi();
  ui::FormSpec layout;
  layout.className = kClassName;
  layout.caption = L"Vantrel 설정 보기";
  layout.clientWidth = 315;
  layout.clientHeight = 255;
  // A dialog border: not resizable, no minimise or maximise box.
  layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
  layout.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  layout.owner = owner_;
  if (!Form::Create(layout)) return false;

  pnlBottom = &Add<ui::Panel>(ui::Rect{0, 216, 315, 39}, ui::Align::Bottom);
  pnl1 = &Add<ui::Panel>(ui::Rect{0, 0, 315, 216}, ui::Align::Client);
  ui::ListViewOptions options;
  options.gridLines = true;
  options.fullRowSelect = true;
  options.images = false;
  lv1 = &pnl1->Add<ui::ListView>(ui::Rect{0, 0, 315, 216}, options);
  lv1->SetAlign(ui::Align::Client);
  lv1->AddColumn(L"Vantrel 항목", 150);
  lv1->AddColumn(L"상태", 45, LVCFMT_CENTER);
  lv1->AddColumn(L"정보", 110);
  btnClose = &pnlBottom->Add<ui::Button>(L"설정 닫기", ui::Rect{208, 5, 93, 25});
  btnClose->onClick = [this] { btnCloseClick(); };

  FormCreate();
  return true;
}

void TPingStatusForm::FormCreate() {
  const ui::CaptionReader captions(kComponent);
  captions.Window(*this);
  captions.Caption(*btnClose, L"btnClose");
  captions.Columns(*lv1, L"lv1");
  const StatusTexts texts = ReadStatusTexts(captions);

  const POINT at = CenterOnScreen(WindowWidthPx(), WindowHeightPx());
  MoveTo(at.x, at.y);

  const std::wstring ip = localIp_();
  lv1->Clear();
  for (const StatusRow& row : StatusRows(texts, CaptionMeansOn(toggleCaption_), ip))
    lv1->AddItem({row[0], row[1], row[2]});
}

void TPingStatusForm::btnCloseClick() { Close(); }

void ShowTweakStatus(HWND owner, const std::wstring& toggleCaption) {
  TPingStatusForm form(owner, toggleCaption);
  if (form.Create()) form.ShowModal();
}

}  // namespace vantrel
