#include "base/texts.h"

namespace quelbo {

extern const Texts kChineseTexts;
const Texts kChineseTexts = {
    .page = {"个页面", "个页面"},
    .line = {"行", "行"},
    .damaged_line = {"行已损坏的记录", "行已损坏的记录"},
    .run_folder = {"个运行目录", "个运行目录"},

    .usage =
        "用法：quelbo-batch [--trace] [--dry-run [--diff]] [网站目录]\n"
        "      quelbo-batch --undo [运行] [网站目录]\n"
        "      quelbo-batch --list-runs [网站目录] | --journal=on|off\n"
        "\n"
        "用保存的规则改写网站目录（保存的设置要求时，也包括它的直接子目录）中的页面，\n"
        "与在窗口中按“开始”完全一样，然后退出。不给网站目录时，网站就是本程序所在的目录；\n"
        "它不能是系统目录或程序目录（例如 {0}）。\n"
        "\n"
        "设置来自 {1}\n"
        "（INI 文件 htm批处理配置.ini 及其列表文件，GBK 编码），与窗口用的是同一个目录；\n"
        "{2}。运行后不保存任何设置。\n"
        "\n"
        "  --trace      在标准输出上逐行打印每一条状态栏文字\n"
        "  --dry-run    不做任何改动：在标准输出上列出会改动的每个页面及各规则的次数，\n"
        "               最后是合计\n"
        "  --diff       与 --dry-run 一起用，再以统一差异格式列出每个页面的改动\n"
        "  --list-runs  列出可以撤销的运行（所有网站的，或网站目录的），\n"
        "               以及每次替换的页面数和所占磁盘空间\n"
        "  --undo [运行] 恢复本网站上一次运行（或指定运行）改过、之后没人改动过的页面，\n"
        "               前提是撤销记录能证明原内容无误；撤销本身也可以再撤销\n"
        "  --journal=on|off  保留（默认）或不再保留撤销记录\n"
        "  --help       打印本说明\n"
        "  --version    打印版本\n"
        "\n"
        "退出状态：0 完成；1 完成，但有页面被跳过或未恢复（列在标准错误上）；\n"
        "2 没有开始（选项互相矛盾，或另一个运行正在处理这个网站）；\n"
        "130 被 {3} 或因标准输出无法写入而停止（在处理完当前页面之后）。\n",

    .unknown_option = "未知选项 {0}",
    .second_site_folder = "给了不止一个网站目录：{0}",
    .not_a_run_id = "{0} 既不是运行编号（例如 20261207-194232-00），也不是网站目录",
    .journal_on_and_off = "--journal=on 与 --journal=off 互相矛盾",
    .not_together = "{0} 与 {1} 不能同时使用",
    .diff_without_dry_run = "--diff 显示 --dry-run 找到的改动：两个都给，或都不给",
    .system_folder = "{0} 存放的是程序，不是页面；请指定网站目录：{1}",

    .stdout_failed_stopping = "无法写入标准输出：{0}；处理完当前页面后停止",
    .stdout_failed = "无法写入标准输出：{0}",
    .summary = "已处理 {0}，改动 {1} 个，跳过 {2} 个",
    .preview_summary = "已处理 {0}，将改动 {1} 个，跳过 {2} 个",
    .rewritten_on_bytes = "{0}按原字节改写，其中 {1} 个一遍完成",
    .skipped = "跳过：{0}：{1}",
    .not_restored = "未恢复：{0}：{1}",

    .cannot_undo = "无法撤销：{0}",
    .undo_progress = "撤销 {0}/{1}",
    .changed_since = "运行后已被改动，未恢复：{0}",
    .damaged_lines = "运行 {0} 的撤销记录有 {1}，无法读取：未恢复",
    .missing_lines = "运行 {0} 的撤销记录比 run.txt 记的少 {1}：未恢复",
    .unjournaled = "这次撤销无法记录（{0}）：它本身不能再撤销",
    .undo_stopped = "运行 {0} 的撤销已停止：恢复 {1}，已查看 {2} / {3} 个",
    .undone = "运行 {0} 已撤销：恢复 {1}",
    .undone_as = "运行 {0} 已撤销：恢复 {1}，记为运行 {2}",
    .nothing_restored = "运行 {0}：没有恢复页面",
    .nothing_to_restore = "运行 {0}：没有恢复页面（每个页面都已是运行前的内容）",
    .journal_on = "撤销记录：开",
    .journal_off = "撤销记录：关",
    .unremoved_runs = "撤销记录中有 {0}无法删除（{1}），下次运行时再试",

    .page_missing = "页面文件不存在",
    .not_regular_file = "不是普通文件",
    .outside_site = "指向网站目录之外",
    .bad_file_name = "文件名无效",
    .read_only_file = "只读文件，未改动",
    .changed_during_run = "运行期间已被改动，未改动",
    .file_too_large = "文件太大，未读取",
    .cannot_read_or_write = "无法读写（{0}）",
    .journal_unwritable = "无法保存撤销记录，未改动（{0}）",
    .no_page_in_work = "当前页面为空，没有页面可处理",
    .link_outside_site = "链接指向网站目录之外，未跟随",
    .name_not_utf8 = "名字不是有效的UTF-8",
    .name_with_line_break = "名字含有换行符",
    .name_with_backslash = "名字含有\\（页面列表中作路径分隔符）",
    .name_with_hash = "名字含有#（页面列表会去掉它）",
    .special_file = "不是普通文件，未处理",
    .cannot_list_folder = "无法列出目录",
    .cannot_list_subfolders = "无法列出子目录",
    .with_detail = "{0}（{1}）",
    .skipped_status = "跳过 {0}：{1}",
    .skipped_list_entry = "{0}：{1}",

    .page_gone = "页面已不存在，未恢复",
    .left_unrestored = "{0}，未恢复",
    .kept_bytes_unreadable = "撤销记录中的原内容无法读取，未恢复（{0}）",
    .kept_bytes_damaged = "撤销记录中的原内容已损坏，未恢复",

    .site_folder_gone = "网站目录已不存在，没有开始：{0}",
    .site_busy = "另一个运行正在处理这个网站，没有开始：{0}",
    .site_unlockable = "无法锁定网站，没有开始：{0}",
    .undo_going_on_no_start = "撤销进行中，没有开始",
    .run_going_on_no_preview = "运行中，不能预览",
    .journal_not_started = "撤销记录无法写入，未开始：{0}",
    .undo_going_on = "撤销进行中",
    .run_going_on_no_undo = "运行中，不能撤销",
    .no_run_to_undo = "没有可撤销的运行",
    .undo_failed = "撤销失败：{0}",
    .undoing = "撤销中。。。",

    .undo_stopped_status = "撤销已停止：恢复 {0}",
    .undo_done_status = "撤销完毕：恢复 {0}",
    .undo_nothing_status = "没有恢复页面：恢复 {0}",
    .undo_changed_since = "，{0}运行后已被改动，未恢复",
    .undo_failed_pages = "，{0}无法恢复",
    .undo_damaged_lines = "，撤销记录有 {0} 行已损坏",
    .undo_missing_lines = "，撤销记录缺少 {0} 行",
    .undo_unjournaled = "；撤销记录无法写入，这次撤销不能再撤销",

    .save_failed = "配置保存失败：{0}",
    .save_failed_not_started = "配置保存失败，没有开始：{0}",
    .config_unreadable = "无法读取配置文件{0}，不会保存也不会开始，修复后请重新启动",
    .extra_blocks_unreadable = "无法读取配置文件{0}，更多版块未重新载入",
    .list_separator = "、",
    .config_elsewhere = "D: 盘无法保存设置，设置保存在 {0}",

    .not_valid_in = "不是有效的{0}编码{1}，未改动",
    .where_in_bytes = "（第{0}行，字节偏移{1}）",
    .utf8_cannot_write = "无法写成UTF-8的字符{0}",
    .gbk_cannot_hold = "GBK无法表示的字符{0}",
    .described = " {0}",
    .unencodable_somewhere = "含有{0}，未改动",
    .replacement_holds = "替换内容含有{0}，未改动",
    .page_holds = "含有{0}（第{1}行），未改动",
    .garbled_as = "按{0}读入会变成乱码，未改动",
    .begins_with_bom = "页面以UTF-8字节顺序标记开头，{0}",
    .declares_on_line = "页面第{0}行声明的是{1}编码（{2}），{3}",
    .read_by_bom = "按页面开头的UTF-8字节顺序标记读作{0}，但{1}",
    .read_by_declaration = "按第{0}行的声明（{1}）读作{2}，但{3}",
};

}  // namespace quelbo
