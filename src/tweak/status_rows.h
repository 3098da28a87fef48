#pragma once
// The rows of the tweak status view: what the tweak sets, whether it is
// applied, and the computer's address. Pure text, no Windows headers.
#include <array>
#include <string>
#include <vector>

namespace vantrel {

// The view's texts of the [PingStatusForm] section, with their Korean defaults.
struct StatusTexts {
  std::wstring tcpIp = L"TCP/IP 설정 정보";
  std::wstring ackFrequencySet = L"바로 응답 설정";
  std::wstring ackFrequencyClear = L"바로 응답 해제";
  std::wstring noDelaySet = L"바로 전송 설정";
  std::wstring noDelayClear = L"바로 전송 해제";
  std::wstring delAckTicksSet = L"지연 응답 설정";
  std::wstring delAckTicksClear = L"지연 응답 해제";
  std::wstring msmqServerInfo = L"MSMQ Sever Core 설정 정보";
  std::wstring ipAddress = L"내 컴퓨터 IP Address";
  std::wstring acrStatus = L"Vantrel 동작 상태";
  std::wstring pingSet = L"Vantrel 설정";
  std::wstring pingClear = L"Vantrel 해제";
};

// One row: item, status, information.
using StatusRow = std::array<std::wstring, 3>;

// True when a toggle caption names the tweak as applied: anything but
// exactly "Vantrel Off".
bool CaptionMeansOn(const std::wstring& toggleCaption);

// The twelve rows for the state `on` and the address `ip` ("NONE" when empty).
std::vector<StatusRow> StatusRows(const StatusTexts& texts, bool on, const std::wstring& ip);

}  // namespace vantrel
