#include "window/presenter/window_texts.h"

#include "panel/settings_fields.h"

namespace quelbo {

const WindowTexts kWindowTexts = {
    .site_folder = "网站目录：{0}",
    .run_summary = "已处理 {0} 页，改动 {1} 页，",
    .skipped_count = "跳过 {0} 页",
    .preview_going = "预览中…已查看 {0} 页，将改动 {1} 页，",
    .preview_summary = "预览完毕：将改动 {0} 页，",
    .preview_done = "预览完毕：将改动 {0} 页",
    .undo = "撤销",
    .redo = "重做",
    .looked_at = "已查看 {0} / {1} 页，",
    .undo_going = "{0}中…{1}",
    .undo_stopped = "{0}已停止：{1}恢复 {2} 页，",
    .undo_done = "{0}完毕：恢复 {1} 页，",
    .left_alone_count = "未恢复 {0} 页",
    .changed_since_run = "运行后已被改动，未恢复",
    .undo_tip = "撤销上一次运行（撤销记录：{0} 次运行，{1} MB）",
    .redo_tip = "重做上一次撤销掉的运行（撤销记录：{0} 次运行，{1} MB）",
    .field_description = "{0}（{1}）",
    .name_separator = "、",
    .saved_substitutes = "{0} 含GBK无法保存的字符，已存为“?”",

    .rule_applied = " {0}×{1}",
    .rule_names = {"编码名", "li换行", "替换1", "替换2", "替换3", "删除", "替换4", "版块1", "版块2",
                   "版块3"},
    .field_names = {{field::pair1Find, "替换前1"},
                    {field::pair1Replace, "替换后1"},
                    {field::pair2Find, "替换前2"},
                    {field::pair2Replace, "替换后2"},
                    {field::pair3Find, "替换前3"},
                    {field::pair3Replace, "替换后3"},
                    {field::pair4Find, "替换前4"},
                    {field::pair4Replace, "替换后4"},
                    {field::deleteText, "删除内容"},
                    {field::excludedDirs, "不替换目录"},
                    {field::block0Start, "版块1开始"},
                    {field::block0End, "版块1结束"},
                    {field::block0Replace, "版块1替换"},
                    {field::block1Start, "版块2开始"},
                    {field::block1End, "版块2结束"},
                    {field::block1Replace, "版块2替换"},
                    {field::block2Start, "版块3开始"},
                    {field::block2End, "版块3结束"},
                    {field::block2Replace, "版块3替换"}},

    .no_line_break = "[无换行]",
    .hunk = "原{0} → 新{1}",
    .hunk_range = "第 {0} 行起 {1} 行",

    .keep_journal = "保留撤销记录",
    .preview = "预览",
    .skipped_tip = "显示或收起跳过的页面及原因",
    .site_folder_missing = "找不到要处理的网站文件夹，没有打开：\n{0}",
    .choose_site_folder = "选择网站文件夹",
};

}  // namespace quelbo
