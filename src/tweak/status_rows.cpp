#include "tweak/status_rows.h"

namespace vantrel {

bool CaptionMeansOn(const std::wstring& toggleCaption) { return toggleCaption != L"Vantrel Off"; }

std::vector<StatusRow> StatusRows(const StatusTexts& t, bool on, const std::wstring& ip) {
  const std::wstring state = on ? L"ON" : L"OFF";
  const std::wstring& noDelay = on ? t.noDelaySet : t.noDelayClear;
  return {
      {t.tcpIp, L"", L""},
      {L"TcpAckFrequency", state, on ? t.ackFrequencySet : t.ackFrequencyClear},
      {L"TCPNoDelay", state, noDelay},
      {L"TcpDelAckTicks", state, on ? t.delAckTicksSet : t.delAckTicksClear},
      {L"", L"", L""},
      {t.msmqServerInfo, L"", L""},
      {L"TCPNoDelay", state, noDelay},
      {L"", L"", L""},
      {t.ipAddress, L"", ip.empty() ? L"NONE" : ip},
      {L"", L"", L""},
      {t.acrStatus, L"", L""},
      {L"Vantrel", state, on ? t.pingSet : t.pingClear},
  };
}

}  // namespace vantrel
