; The installer's own messages in English and Korean (UTF-8). Variables in
; them are filled in when a message is shown.

LangString MsgNeedAdmin ${LANG_ENGLISH} "Vantrel Setup needs administrator rights.$\r$\n$\r$\nStart it again as an administrator (right-click the file, then $\"Run as administrator$\"). Nothing was installed or removed."
LangString MsgNeedAdmin ${LANG_KOREAN} "Vantrel 설치 프로그램은 관리자 권한이 필요합니다.$\r$\n$\r$\n파일을 마우스 오른쪽 단추로 클릭한 뒤 $\"관리자 권한으로 실행$\"을 선택하여 다시 시작하십시오. 아무것도 설치되거나 제거되지 않았습니다."

LangString MsgRunning ${LANG_ENGLISH} "Vantrel is running.$\r$\n$\r$\nClose it through its tray icon's menu (Close), then choose Retry."
LangString MsgRunning ${LANG_KOREAN} "Vantrel이 실행 중입니다.$\r$\n$\r$\n알림 영역 아이콘의 메뉴에서 종료한 뒤 다시 시도를 선택하십시오."

LangString MsgNewerInstalled ${LANG_ENGLISH} "Vantrel $1 is installed, which is newer than this version (${VERSION}).$\r$\n$\r$\nReplace it with version ${VERSION}?"
LangString MsgNewerInstalled ${LANG_KOREAN} "이 버전(${VERSION})보다 새로운 Vantrel $1이(가) 설치되어 있습니다.$\r$\n$\r$\n버전 ${VERSION}(으)로 바꾸시겠습니까?"

LangString MsgNotAFolder ${LANG_ENGLISH} "$INSTDIR cannot hold Vantrel: it is a file, or not a full folder path. Choose another folder; nothing was installed."
LangString MsgNotAFolder ${LANG_KOREAN} "$INSTDIR에는 Vantrel을 설치할 수 없습니다. 파일이거나 전체 폴더 경로가 아닙니다. 다른 폴더를 선택하십시오. 아무것도 설치되지 않았습니다."

LangString MsgWriteFailed ${LANG_ENGLISH} "Setup could not write Vantrel into$\r$\n$INSTDIR$\r$\n$\r$\nNothing was changed: an installed Vantrel stays as it was. Choose another folder, or close what holds the files, and run Setup again."
LangString MsgWriteFailed ${LANG_KOREAN} "다음 폴더에 Vantrel을 쓸 수 없습니다.$\r$\n$INSTDIR$\r$\n$\r$\n아무것도 바뀌지 않았으며, 설치되어 있던 Vantrel은 그대로 남아 있습니다. 다른 폴더를 선택하거나 파일을 사용 중인 프로그램을 닫은 뒤 설치 프로그램을 다시 실행하십시오."

LangString MsgCannotRemove ${LANG_ENGLISH} "$INSTDIR\Vantrel.exe could not be removed. Close Vantrel and run the uninstaller again; nothing was removed."
LangString MsgCannotRemove ${LANG_KOREAN} "$INSTDIR\Vantrel.exe 파일을 제거할 수 없습니다. Vantrel을 종료한 뒤 제거 프로그램을 다시 실행하십시오. 아무것도 제거되지 않았습니다."

LangString MsgRemoveTweak ${LANG_ENGLISH} "The network tweak (Vantrel ON) is still applied.$\r$\n$\r$\nRemove its registry values as well? (TcpAckFrequency, TCPNoDelay and TcpDelAckTicks of the network interfaces and the Message Queuing value TCPNoDelay; this is what $\"Vantrel Off$\" deletes.)$\r$\n$\r$\nChoose No to keep the network settings as they are."
LangString MsgRemoveTweak ${LANG_KOREAN} "네트워크 설정(Vantrel ON)이 아직 적용되어 있습니다.$\r$\n$\r$\n이 레지스트리 값도 제거하시겠습니까? (네트워크 인터페이스의 TcpAckFrequency, TCPNoDelay, TcpDelAckTicks 값과 메시지 큐의 TCPNoDelay 값으로, $\"Vantrel Off$\"가 지우는 값입니다.)$\r$\n$\r$\n네트워크 설정을 그대로 두려면 아니요를 선택하십시오."

LangString MsgRemoveData ${LANG_ENGLISH} "Remove Vantrel's data folder as well?$\r$\n$\r$\n$DataFolder$\r$\n$\r$\nIt holds the backups of the system recovery window: the start-up programs, scheduled tasks and browser add-ons that Vantrel removed can be restored only from there.$\r$\n$\r$\nChoose No to keep it."
LangString MsgRemoveData ${LANG_KOREAN} "Vantrel의 데이터 폴더도 제거하시겠습니까?$\r$\n$\r$\n$DataFolder$\r$\n$\r$\n이 폴더에는 시스템 복구 창의 백업이 들어 있습니다. Vantrel이 삭제한 시작 프로그램, 예약된 작업, 브라우저 추가 기능은 이 백업으로만 복원할 수 있습니다.$\r$\n$\r$\n보관하려면 아니요를 선택하십시오."
