// SPDX-License-Identifier: MIT
#include "texts.h"

#include <cstdlib>
#include <cstring>

namespace quelix::viewer {

namespace {

struct Entry {
    const char* english;
    const char* japanese;
};

// In the order of Text.
constexpr Entry kTexts[] = {
    {"Quelix viewer", "Quelix ビューア"},
    {"_File", "ファイル(_F)"},
    {"_Snap...", "スナップ(_S)..."},
    {"_Record...", "録画(_R)..."},
    {"_Load mask file...", "マスクファイルを読み込む(_L)..."},
    {"Save _mask file...", "マスクファイルを保存(_M)..."},
    {"_Quit", "終了(_Q)"},
    {"_Camera", "カメラ(_C)"},
    {"Camera _settings...", "カメラ設定(_S)..."},
    {"_Image settings...", "画像設定(_I)..."},
    {"S_tream settings...", "ストリーム設定(_T)..."},
    {"Ca_librate...", "キャリブレーション(_L)..."},
    {"_Device", "デバイス(_D)"},
    {"No camera attached", "カメラが接続されていません"},
    {"_View", "表示(_V)"},
    {"_Fit", "ウィンドウに合わせる(_F)"},
    {"Full _sensor", "センサー全体(_S)"},
    {"Snap", "スナップ"},
    {"Record", "録画"},
    {"Stop", "停止"},
    {"Calibrate", "キャリブレーション"},
    {"Exposure (µs)", "露光時間 (µs)"},
    {"Actual exposure", "実際の露光時間"},
    {"Gain", "ゲイン"},
    {"Automatic exposure", "自動露光"},
    {"Colour mode", "カラーモード"},
    {"Mirror left-right", "左右反転"},
    {"Mirror top-bottom", "上下反転"},
    {"Filters", "フィルタ"},
    {"Brightness", "明るさ"},
    {"Contrast", "コントラスト"},
    {"Gamma", "ガンマ"},
    {"Sharpness", "シャープネス"},
    {"Defect repair", "欠陥画素補正"},
    {"Shading correction", "シェーディング補正"},
    {"Cooler level", "冷却レベル"},
    {"Histogram", "ヒストグラム"},
    {"Logarithmic", "対数"},
    {"saturated", "飽和"},
    {"Profile", "プロファイル"},
    {"Draw a line over the picture with the right mouse button.", "右ボタンで画像の上に線を引いてください。"},
    {"Temperature", "温度"},
    {"Frame rate", "フレームレート"},
    {"host", "ホスト"},
    {"camera", "カメラ"},
    {"dropped", "欠落"},
    {"temperature unknown", "温度不明"},
    {"waiting for the camera", "カメラを待っています"},
    {"streaming", "ストリーミング中"},
    {"starting", "開始中"},
    {"no error", "エラーなし"},
    {"recording", "録画中"},
    {"recorded", "録画しました"},
    {"saved", "保存しました"},
    {"could not save", "保存できませんでした"},
    {"cursor", "カーソル"},
    {"Zoom", "ズーム"},
    {"fit", "合わせる"},
    {"_Cancel", "キャンセル(_C)"},
    {"_Save", "保存(_S)"},
    {"_Open", "開く(_O)"},
    {"_Close", "閉じる(_C)"},
    {"1. Cover the lens and take the dark reference.\n"
     "2. Light the sensor evenly and take the bright reference.\n"
     "3. Save the mask file.",
     "1. レンズを覆って暗基準を取得します。\n"
     "2. センサーを均一に照らして明基準を取得します。\n"
     "3. マスクファイルを保存します。"},
    {"Take dark reference", "暗基準を取得"},
    {"Take bright reference", "明基準を取得"},
    {"dark reference taken", "暗基準を取得しました"},
    {"bright reference taken", "明基準を取得しました"},
    {"non-uniformity", "不均一性"},
    {"before", "補正前"},
    {"after", "補正後"},
    {"mask file loaded", "マスクファイルを読み込みました"},
    {"not a mask file", "マスクファイルではありません"},
    {"8-bit gray", "8ビット グレー"},
    {"16-bit gray", "16ビット グレー"},
    {"24-bit false colour", "24ビット 疑似カラー"},
    {"32-bit false colour", "32ビット 疑似カラー"},
    {"48-bit false colour", "48ビット 疑似カラー"},
    {"64-bit false colour", "64ビット 疑似カラー"},
    {"lines", "ライン"},
    {"sensor", "センサー"},
    {"sample", "サンプル"},
    {"output", "出力"},
};
static_assert(sizeof kTexts / sizeof kTexts[0] == static_cast<size_t>(Text::Count), "one entry per text");

}  // namespace

bool JapaneseChosen()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return std::strncmp(value, "ja", 2) == 0;
    }
    return false;
}

const char* TextIn(Text text, bool japanese)
{
    const auto index = static_cast<size_t>(text);
    if (index >= static_cast<size_t>(Text::Count))
        return "";
    return japanese ? kTexts[index].japanese : kTexts[index].english;
}

const char* T(Text text)
{
    static const bool japanese = JapaneseChosen();
    return TextIn(text, japanese);
}

std::string ErrorInWords(int code, bool japanese)
{
    struct Words {
        int code;
        const char* english;
        const char* japanese;
    };
    static constexpr Words kWords[] = {
        {1, "the camera is not ready", "カメラの準備ができていません"},
        {2, "no camera, or the camera is in use", "カメラがないか使用中です"},
        {3, "a thread could not start", "スレッドを開始できません"},
        {4, "no window for the preview", "プレビューウィンドウを作れません"},
        {5, "a frame could not be delivered", "フレームを渡せませんでした"},
        {6, "the camera refused a register access", "カメラがレジスタアクセスを拒否しました"},
        {7, "invalid capture window", "キャプチャウィンドウが無効です"},
        {8, "a frame could not be read", "フレームを読めませんでした"},
        {9, "a value out of range", "範囲外の値です"},
        {11, "not supported by this camera", "このカメラでは使えません"},
        {12, "a file could not be written", "ファイルを書けませんでした"},
        {13, "no frame came from the camera", "カメラからフレームが来ません"},
        {14, "not a mask file", "マスクファイルではありません"},
    };
    if (code == 0)
        return "";
    for (const Words& words : kWords) {
        if (words.code == code)
            return japanese ? words.japanese : words.english;
    }
    return (japanese ? "エラー " : "error ") + std::to_string(code);
}

}  // namespace quelix::viewer
