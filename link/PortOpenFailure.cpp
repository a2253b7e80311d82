#include "link/PortOpenFailure.h"

#include <cerrno>

namespace lumetra {

std::string PortOpenFailureText(const std::string& device, int error) {
    const std::string head = "无法打开串口设备 " + device;
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return head +
                   "：设备不存在。\n请检查发射机的串口线或 USB 转串口适配器是否插好，或在“设备”中选择它，"
                   "再点“连  接”。";
        case EBUSY:
            return head + "：设备正被其他程序使用。\n请关闭占用它的程序，再点“连  接”。";
        case EACCES:
        case EPERM:
            return head +
                   "：没有权限。\n请把当前用户加入 dialout 组（sudo usermod -aG dialout 用户名），"
                   "然后注销并重新登录。";
        default:
            return head + "（错误 " + std::to_string(error) + "）。\n请检查设备，再点“连  接”。";
    }
}

}  // namespace lumetra
