#include "app/information_text.hpp"

#include "ui/main_window_layout.hpp"

namespace halvora {

const std::wstring& usageText() {
    static const std::wstring text =
        L"\r\n\r\n-- 명령행 도움말 --\r\n/ImageFile:<설치 이미지 파일 위치>\r\n/Index:<이미지 번호>\r\n"
        L"/ApplyDrv:<설치 위치>\r\n[/BootDrv:<부팅 위치 | - | * >]\r\n"
        L"  부팅 위치: 드라이브명, -: 부팅 위치 비우기, *: 자동 설정(기본값)\r\n[/OemPath:<$OEM$ 위치 | ->]\r\n"
        L"[/XmlFile:<xml 파일 위치 | ->]\r\n  unattend.xml, autounattend.xml\r\n"
        L"[/after:<Shutdown | Reboot | Finish | Ready>]\r\n  시스템 종료, 다시 부팅, 프로그램 종료, 대기(기본값)\r\n"
        L"[/d]         \t- 기존의 기본 Windows 부팅 항목을 보존.\r\n"
        L"[/Compact | /WIMboot]   * 두 가지 옵션을 동시에 같이 사용하면 설치가 안 되며 바로 취소 됩니다.\r\n"
        L"  /Compact\t- Compact Boot 적용. Windows 10 이상.\r\n"
        L"  /WIMboot\t- WIMboot 적용. Windows 8.1 이상. WIMboot 파일만 가능.\r\n"
        L"[/Verify]\t- 오류 및 파일 중복 확인.\r\n[/Check] \t- 설치 파일의 무결성 확인.\r\n"
        L"[/Log]\t\t- %Temp% 에 HalvoraWimGAPI.log 로그 생성.\r\n"
        L"[/ApplyStart]\t- 조건이 맞으면 카운트 후 자동으로 설치 시작.\r\n\r\n예제>\r\n"
        L"/ImageFile:\"Sample.wim\" /Index:1 /ApplyDrv:C: /after:Finish /Compact /d";
    return text;
}

std::wstring informationText(const std::wstring& wimgapiVersion) {
    return L"Halvora v0.7.7.0" + architectureSuffix() + L"\r\n20H1 ADK\r\nWimGAPI v" + wimgapiVersion +
           L"\r\nWindows 8 이상 호환" + usageText();
}

}  // namespace halvora
