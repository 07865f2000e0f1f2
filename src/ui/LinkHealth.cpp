#include "ui/LinkHealth.h"

#include "common/TextConversion.h"
#include "feed/HttpRequest.h"
#include "ui/LinkListView.h"

namespace {

std::wstring outcomeText(const FetchResult& result) {
    const std::wstring detail = std::to_wstring(result.detail);
    switch (result.outcome) {
        case FetchOutcome::None: break;
        case FetchOutcome::Read:
            return result.detail == 0 ? L"成功, 没有新文章" : L"成功, " + detail + L" 篇新文章";
        case FetchOutcome::NotModified: return L"成功, 内容没有更新 (HTTP 304)";
        case FetchOutcome::HttpStatus: return L"失败: 服务器返回 HTTP " + detail;
        case FetchOutcome::TimedOut: return L"失败: 超时";
        case FetchOutcome::NetworkError: return L"失败: 网络错误 (" + detail + L")";
        case FetchOutcome::TooLarge: return L"失败: 内容超过 " + std::to_wstring(kMaxResponseBodyBytes >> 20) + L" MB";
        case FetchOutcome::BadEncoding: return L"失败: 压缩的内容无法解码";
        case FetchOutcome::NotAFeed: return L"失败: 不是 RSS、RDF 或 Atom 文档";
        case FetchOutcome::ParseError: {
            const std::wstring where = result.detail > 0 ? L"第 " + detail + L" 行" : L"";
            return L"失败: XML " + where + L"有错误: " + toWide(result.reason, CP_UTF8);
        }
    }
    return {};
}

}  // namespace

std::wstring linkHealthText(const LinkState* state) {
    if (!state || state->lastResult.outcome == FetchOutcome::None) return L"尚未收取";
    std::wstring text = L"上次收取: " + lastRetrievedText(state->lastResult.time) + L"\r\n" +
                        outcomeText(state->lastResult);
    if (state->failuresInARow > 1) text += L"\r\n已连续失败 " + std::to_wstring(state->failuresInARow) + L" 次";
    return text;
}

bool isMarkedFailing(const LinkState* state) { return state && state->failuresInARow >= kFailuresMarked; }
