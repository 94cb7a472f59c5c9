#pragma once

// The framework's own prompts, from its Chinese (PRC) string table.
inline constexpr char16_t AFX_IDP_PARSE_INT[] = u"请键入一个整数。";
inline constexpr char16_t AFX_IDP_FAILED_MEMORY_ALLOC[] = u"内存不足。";
inline constexpr char16_t AFX_IDP_FAILED_TO_LAUNCH_HELP[] = u"启动帮助失败。";
