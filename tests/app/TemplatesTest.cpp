// The four dialog templates as the program carries them: every control's
// id, class, the style bits the windows rely on and its place in dialog
// units, in template (tab) order, read from the compiled resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

enum Kind {
    kPush,          // push button, not a default one
    kDefPush,       // default push button
    kGroup,         // group box
    kEdit,          // edit showing what is typed
    kPasswordEdit,  // edit showing masked characters
    kDropList,      // combo box: list only
    kDropDown,      // combo box: list with an edit field
    kLeftText,      // static text, left-aligned
    kRightText,     // static text, right-aligned
    kCentreText,    // static text, centred
    kSurface,       // static without text: a banner surface
    kIcon,          // static showing an icon
};

constexpr DWORD kNoId = 0xFFFF;  // IDC_STATIC as the resource compiler writes it

struct Control {
    DWORD id;
    Kind kind;
    short x, y, cx, cy;
};

struct Template {
    int id;
    short cx, cy;
    std::vector<Control> controls;
};

// One control as the template holds it.
struct Item {
    DWORD id = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD classOrdinal = 0;
};

struct Parsed {
    short cx = 0, cy = 0;
    std::vector<Item> items;
};

class Reader {
public:
    explicit Reader(const BYTE* at) : m_at(at) {}
    WORD Word() { WORD w = m_at[0] | (m_at[1] << 8); m_at += 2; return w; }
    DWORD Dword() { DWORD low = Word(); return low | (static_cast<DWORD>(Word()) << 16); }
    short Short() { return static_cast<short>(Word()); }
    void Bytes(size_t count) { m_at += count; }
    // A name or an ordinal; returns the ordinal, 0 for a name or none.
    WORD NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return Word();
        while (first != 0)
            first = Word();
        return 0;
    }
    void AlignToDword(const BYTE* base)
    {
        while ((m_at - base) % 4 != 0)
            ++m_at;
    }

private:
    const BYTE* m_at;
};

// Reads an extended dialog template (DIALOGEX) of the program's resources.
Parsed ReadTemplate(int id)
{
    Parsed parsed;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (!found)
        return parsed;
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    Reader in(base);
    EXPECT_EQ(in.Word(), 1);       // version
    EXPECT_EQ(in.Word(), 0xFFFF);  // extended template
    in.Dword();                    // help id
    in.Dword();                    // extended style
    DWORD style = in.Dword();
    WORD count = in.Word();
    in.Short();
    in.Short();
    parsed.cx = in.Short();
    parsed.cy = in.Short();
    in.NameOrOrdinal();  // menu
    in.NameOrOrdinal();  // class
    in.NameOrOrdinal();  // caption
    if (style & DS_SETFONT) {
        in.Word();  // point size
        in.Word();  // weight
        in.Bytes(2);
        in.NameOrOrdinal();  // face
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignToDword(base);
        Item item;
        in.Dword();  // help id
        in.Dword();  // extended style
        item.style = in.Dword();
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = in.Dword();
        if (item.id == 0xFFFFFFFF)
            item.id = kNoId;
        item.classOrdinal = in.NameOrOrdinal();
        in.NameOrOrdinal();  // text
        in.Bytes(in.Word());  // creation data
        parsed.items.push_back(item);
    }
    return parsed;
}

// The class and the style bits each kind stands for.
struct KindRule {
    Kind kind;
    WORD classOrdinal;  // 0x80 button, 0x81 edit, 0x82 static, 0x85 combo box
    DWORD mask;
    DWORD bits;  // style & mask
    const char* what;
};

const KindRule kKindRules[] = {
    {kPush, 0x80, BS_TYPEMASK, BS_PUSHBUTTON, "a plain push button"},
    {kDefPush, 0x80, BS_TYPEMASK, BS_DEFPUSHBUTTON, "a default push button"},
    {kGroup, 0x80, BS_TYPEMASK, BS_GROUPBOX, "a group box"},
    {kEdit, 0x81, ES_PASSWORD, 0, "an edit showing what is typed"},
    {kPasswordEdit, 0x81, ES_PASSWORD, ES_PASSWORD, "a password edit"},
    {kDropList, 0x85, 0x3, CBS_DROPDOWNLIST, "a drop-down list"},
    {kDropDown, 0x85, 0x3, CBS_DROPDOWN, "a drop-down combo box"},
    {kLeftText, 0x82, SS_TYPEMASK, SS_LEFT, "left-aligned static text"},
    {kRightText, 0x82, SS_TYPEMASK, SS_RIGHT, "right-aligned static text"},
    {kCentreText, 0x82, SS_TYPEMASK, SS_CENTER, "centred static text"},
    {kSurface, 0x82, 0, 0, "a static control"},
    {kIcon, 0x82, SS_TYPEMASK, SS_ICON, "an icon"},
};

const KindRule& RuleOf(Kind kind)
{
    for (const KindRule& rule : kKindRules)
        if (rule.kind == kind)
            return rule;
    return kKindRules[0];  // unreachable: every kind has its rule
}

const Template kTemplates[] = {
    {100, 170, 62, {
        {kNoId, kIcon, 14, 14, -1, -1}, {kNoId, kLeftText, 36, 14, 127, 8},
        {kNoId, kLeftText, 42, 26, 104, 8}, {1, kDefPush, 113, 41, 50, 14},
    }},
    {102, 300, 209, {
        {1037, kRightText, 7, 89, 117, 8}, {1000, kDropList, 129, 86, 82, 30},
        {1038, kRightText, 37, 124, 84, 8}, {1001, kPasswordEdit, 130, 121, 82, 14},
        {1002, kPush, 22, 165, 84, 14}, {1003, kPush, 128, 165, 62, 14},
        {1004, kPush, 207, 165, 62, 14}, {kNoId, kGroup, 7, 7, 286, 195},
        {1035, kSurface, 7, 7, 285, 25},
    }},
    {131, 427, 342, {
        {2, kPush, 339, 324, 70, 14}, {1036, kSurface, 6, 7, 412, 21},
        {1039, kGroup, 14, 32, 404, 29}, {1007, kLeftText, 23, 45, 168, 8},
        {1006, kPush, 319, 42, 91, 14}, {1040, kGroup, 14, 63, 404, 33},
        {1009, kLeftText, 26, 77, 143, 8}, {1010, kLeftText, 201, 78, 132, 8},
        {1008, kPush, 347, 74, 62, 14}, {1041, kGroup, 16, 100, 402, 78},
        {1044, kRightText, 19, 120, 66, 8}, {1011, kEdit, 86, 116, 81, 14},
        {1046, kRightText, 172, 116, 65, 8}, {1012, kEdit, 239, 114, 92, 14},
        {1045, kRightText, 19, 137, 67, 8}, {1013, kEdit, 87, 136, 80, 14},
        {1047, kRightText, 171, 136, 64, 8}, {1014, kEdit, 238, 136, 92, 14},
        {1048, kRightText, 18, 160, 87, 8}, {1015, kEdit, 109, 153, 78, 14},
        {1016, kPush, 350, 115, 59, 14}, {1017, kPush, 350, 136, 58, 14},
        {1042, kGroup, 14, 181, 404, 81}, {1049, kRightText, 18, 194, 58, 8},
        {1018, kDropDown, 81, 190, 90, 44}, {1050, kRightText, 20, 212, 55, 8},
        {1019, kEdit, 81, 206, 90, 14}, {1051, kRightText, 19, 227, 56, 8},
        {1020, kEdit, 81, 225, 90, 14}, {1052, kRightText, 23, 244, 62, 8},
        {1021, kEdit, 89, 241, 82, 14}, {1053, kRightText, 200, 194, 44, 8},
        {1022, kEdit, 246, 190, 93, 14}, {1054, kRightText, 200, 212, 44, 8},
        {1023, kEdit, 247, 208, 92, 14}, {1055, kRightText, 174, 230, 70, 8},
        {1024, kEdit, 247, 228, 92, 14}, {1056, kCentreText, 182, 249, 221, 8},
        {1025, kPush, 351, 190, 58, 14}, {1026, kPush, 351, 209, 58, 14},
        {1057, kRightText, 19, 281, 80, 8}, {1027, kPasswordEdit, 104, 277, 54, 14},
        {1059, kRightText, 182, 281, 76, 8}, {1028, kPasswordEdit, 263, 277, 54, 14},
        {1058, kRightText, 19, 297, 80, 8}, {1029, kPasswordEdit, 104, 295, 54, 14},
        {1060, kRightText, 176, 297, 81, 8}, {1030, kPasswordEdit, 263, 295, 54, 14},
        {1031, kPush, 328, 276, 81, 14}, {1032, kPush, 328, 294, 81, 14},
        {1033, kPush, 13, 323, 109, 14}, {1043, kGroup, 15, 265, 403, 52},
        {1061, kPush, 186, 324, 64, 14}, {1065, kLeftText, 198, 156, 36, 8},
        {1066, kEdit, 238, 154, 92, 14},
    }},
    {134, 191, 99, {
        {1, kDefPush, 32, 63, 50, 14}, {2, kPush, 99, 63, 50, 14},
        {1064, kCentreText, 24, 38, 142, 8},
    }},
};

TEST(DialogTemplates, EveryControlHasItsIdClassStyleAndPlaceInTabOrder)
{
    for (const Template& expected : kTemplates) {
        SCOPED_TRACE(testing::Message() << "template " << expected.id);
        Parsed parsed = ReadTemplate(expected.id);
        EXPECT_EQ(parsed.cx, expected.cx);
        EXPECT_EQ(parsed.cy, expected.cy);
        ASSERT_EQ(parsed.items.size(), expected.controls.size());
        for (size_t i = 0; i < parsed.items.size(); ++i) {
            const Item& item = parsed.items[i];
            const Control& control = expected.controls[i];
            SCOPED_TRACE(testing::Message() << "control " << control.id << " at tab position " << i);
            EXPECT_EQ(item.id, control.id);
            const KindRule& rule = RuleOf(control.kind);
            EXPECT_EQ(item.classOrdinal, rule.classOrdinal) << "not " << rule.what;
            EXPECT_EQ(item.style & rule.mask, rule.bits) << "not " << rule.what;
            EXPECT_EQ(item.x, control.x);
            EXPECT_EQ(item.y, control.y);
            if (control.cx >= 0) {
                EXPECT_EQ(item.cx, control.cx);
                EXPECT_EQ(item.cy, control.cy);
            }
        }
    }
}

}  // namespace
