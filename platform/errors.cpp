#include "platform/errors.h"

namespace platform {

QString ReportTitle() { return QStringLiteral("运行时错误"); }

CheckedCallError::CheckedCallError(Status status, const char* interfaceId, Member member, QString object)
    : status_(status), interfaceId_(interfaceId), member_(member), object_(std::move(object)) {}

QString CheckedCallError::Report() const {
    return QStringLiteral("调用窗口或控件失败。\n对象：%1\n接口：%2\n成员：%3\n错误码：0x%4\n程序将结束。")
        .arg(object_, QString::fromLatin1(interfaceId_))
        .arg(static_cast<int>(member_))
        .arg(static_cast<std::uint32_t>(status_), 8, 16, QLatin1Char('0'));
}

QString LaunchError::Report() const { return QStringLiteral("无法打开网页。\n") + target_; }

} // namespace platform
