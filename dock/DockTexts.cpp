#include "dock/DockTexts.h"

#include <cstddef>

namespace {

struct Entry {
    DockText id;
    const WideChar* text[kLanguageCount];  // Chinese, English, Russian, Ukrainian
};

#define T(id, zh, en, ru, uk) {DockText::id, {WIDE(zh), WIDE(en), WIDE(ru), WIDE(uk)}}

constexpr Entry kEntries[] = {
    T(Title, "Kestrava 采集站", "Kestrava Dock", "Kestrava: док-станция", "Kestrava: док-станція"),
    T(ColumnSerial, "序列号", "Serial number", "Серийный №", "Серійний №"),
    T(ColumnCameraId, "相机编号", "Camera ID", "ID камеры", "ID камери"),
    T(ColumnUserName, "用户名", "User name", "Пользователь", "Користувач"),
    T(ColumnState, "状态", "State", "Состояние", "Стан"),
    T(ColumnProgress, "进度", "Progress", "Ход работы", "Перебіг"),
    T(ColumnBag, "证据包", "Bag", "Пакет", "Пакет"),
    T(StateConnecting, "正在连接", "connecting", "подключение", "підключення"),
    T(StateSigningIn, "正在登录", "signing in", "вход в камеру", "вхід до камери"),
    T(StateWaitingForCard, "等待存储卡", "waiting for the card", "ожидание карты", "очікування картки"),
    T(StateCopying, "正在复制", "copying", "копирование", "копіювання"),
    T(StateChecking, "正在检查上次的复制", "checking the last copy", "проверка прошлой копии",
      "перевірка минулої копії"),
    T(StateVerifying, "正在校验", "verifying", "проверка", "перевірка"),
    T(StateSealing, "正在封存", "sealing", "запечатывание", "запечатування"),
    T(StateFormatting, "正在格式化", "formatting", "форматирование", "форматування"),
    T(StateSafeToUnplug, "可以拔出", "safe to unplug", "можно отключить", "можна від'єднати"),
    T(StateFinished, "已结束", "finished", "завершено", "завершено"),
    T(StateFailed, "失败：{1}", "failed: {1}", "ошибка: {1}", "помилка: {1}"),
    T(AdvicePlugInAgain, "重新插入即可继续", "plug it in again to resume", "подключите снова, чтобы продолжить",
      "під'єднайте знову, щоб продовжити"),
    T(AdviceArchiveFull, "存档已满", "the archive is full", "архив заполнен", "архів заповнений"),
    T(AdviceWrongPassword, "密码错误：请联系管理员", "wrong password: ask your administrator",
      "неверный пароль: обратитесь к администратору", "хибний пароль: зверніться до адміністратора"),
    T(AdviceAuditFailed, "审计日志未写入：请联系管理员", "audit trail not written: ask your administrator",
      "аудит не записан: обратитесь к администратору", "аудит не записано: зверніться до адміністратора"),
    T(AdviceNoCamera, "相机没有应答：请重新插入", "the camera did not answer: plug it in again",
      "камера не отвечает: подключите её снова", "камера не відповідає: під'єднайте її знову"),
    T(AdviceOtherFailure, "请重新插入或联系管理员", "plug it in again or ask your administrator",
      "подключите снова или обратитесь к администратору", "під'єднайте знову або зверніться до адміністратора"),
    T(ProgressPercent, "{1}%", "{1} %", "{1} %", "{1} %"),
    T(ProgressRate, "{1} MB/秒", "{1} MB/s", "{1} МБ/с", "{1} МБ/с"),
    T(ProgressTimeLeft, "剩余 {1}", "{1} left", "осталось {1}", "залишилось {1}"),
    T(TimeHours, "{1} 小时 {2} 分", "{1} h {2} min", "{1} ч {2} мин", "{1} год {2} хв"),
    T(TimeMinutes, "{1} 分 {2} 秒", "{1} min {2} s", "{1} мин {2} с", "{1} хв {2} с"),
    T(TimeSeconds, "{1} 秒", "{1} s", "{1} с", "{1} с"),
    T(SizeMegabytes, "{1} MB", "{1} MB", "{1} МБ", "{1} МБ"),
    T(SizeGigabytes, "{1} GB", "{1} GB", "{1} ГБ", "{1} ГБ"),
    T(StopDock, "停止采集", "Stop dock", "Остановить", "Зупинити"),
    T(StartDock, "开始采集", "Start dock", "Запустить", "Запустити"),
    T(VerifyArchive, "校验存档", "Verify archive", "Проверить архив", "Перевірити архів"),
    T(AuditTrail, "审计日志", "Audit trail", "Журнал аудита", "Журнал аудиту"),
    T(OpenBagFolder, "打开证据包文件夹", "Open bag folder", "Открыть папку пакета", "Відкрити теку пакета"),
    T(Settings, "设置", "Settings", "Настройки", "Налаштування"),
    T(StatusArchiveFree, "存档可用 {1}", "Archive: {1} free", "Архив: свободно {1}", "Архів: вільно {1}"),
    T(StatusNoArchive, "存档不可用", "Archive: not reachable", "Архив недоступен", "Архів недоступний"),
    T(StatusArchiveReachable, "存档：可访问", "Archive: reachable", "Архив: доступен", "Архів: доступний"),
    T(StatusArchiveProblem, "存档：{1}", "Archive: {1}", "Архив: {1}", "Архів: {1}"),
    T(StatusChainWhole, "审计日志：链完整", "Audit trail: chain whole", "Журнал аудита: цепочка цела",
      "Журнал аудиту: ланцюжок цілий"),
    T(StatusChainBroken, "审计日志：链在第 {1} 行断开", "Audit trail: chain broken at line {1}",
      "Журнал аудита: цепочка разорвана в строке {1}", "Журнал аудиту: ланцюжок розірвано в рядку {1}"),
    T(StatusChainUnreadable, "审计日志：无法读取", "Audit trail: cannot be read", "Журнал аудита: не читается",
      "Журнал аудиту: не читається"),
    T(StatusChainChecking, "审计日志：正在检查", "Audit trail: checking", "Журнал аудита: проверка",
      "Журнал аудиту: перевірка"),
    T(StatusToday, "今天：已转存 {1}，失败 {2}", "Today: {1} offloaded, {2} failed", "Сегодня: выгружено {1}, ошибок {2}",
      "Сьогодні: вивантажено {1}, помилок {2}"),
    T(StatusStopped, "采集已停止", "The dock is stopped", "Док-станция остановлена", "Док-станцію зупинено"),
    T(StatusWaiting, "等待插入相机", "Waiting for cameras", "Ожидание камер", "Очікування камер"),
    T(StatusStopping, "正在安全停止复制……", "Stopping the copies safely…", "Копирование останавливается…",
      "Копіювання зупиняється…"),
    T(StatusRunEnded, "采集已停止：{1}", "The dock stopped: {1}", "Док-станция остановилась: {1}",
      "Док-станція зупинилася: {1}"),
    T(ConfirmCloseCaption, "Kestrava 采集站", "Kestrava Dock", "Kestrava: док-станция", "Kestrava: док-станція"),
    T(ConfirmClose, "仍有录像在复制。要停止并关闭吗？\n每个复制都会安全停止，相机重新插入后继续。",
      "Recordings are being copied. Stop and close?\nEach copy stops safely and resumes when its camera is plugged in again.",
      "Записи копируются. Остановить и закрыть?\nКаждое копирование остановится безопасно и продолжится, когда камеру подключат снова.",
      "Записи копіюються. Зупинити й закрити?\nКожне копіювання зупиниться безпечно й продовжиться, коли камеру під'єднають знову."),
    T(ShutdownReason, "正在安全停止录像的复制", "Stopping the copies of recordings safely",
      "Безопасная остановка копирования записей", "Безпечна зупинка копіювання записів"),
    T(NoBagYet, "这台相机还没有证据包。", "This camera has no bag yet.", "У этой камеры ещё нет пакета.",
      "Ця камера ще не має пакета."),
    T(SettingsTitle, "采集站设置", "Dock settings", "Настройки док-станции", "Налаштування док-станції"),
    T(ArchiveLabel, "存档：", "Archive:", "Архив:", "Архів:"),
    T(AuditFileLabel, "审计文件：", "Audit file:", "Файл аудита:", "Файл аудиту:"),
    T(FormatAfterLabel, "转存后格式化存储卡", "Format the card after the offload", "Форматировать карту после выгрузки",
      "Форматувати картку після вивантаження"),
    T(AccountLabel, "账户：", "Account:", "Учётная запись:", "Обліковий запис:"),
    T(PasswordLabel, "相机密码：", "Camera password:", "Пароль камеры:", "Пароль камери:"),
    T(TryPassword, "试一试", "Try it", "Проверить", "Перевірити"),
    T(LanguageLabel, "语言：", "Language:", "Язык:", "Мова:"),
    T(MaxCopiesLabel, "同时复制数：", "Copies at once:", "Копий одновременно:", "Копій одночасно:"),
    T(PickArchive, "选择存档文件夹", "Choose the archive folder", "Выберите папку архива", "Виберіть теку архіву"),
    T(PickAuditFile, "选择审计文件", "Choose the audit file", "Выберите файл аудита", "Виберіть файл аудиту"),
    T(StoreGroup, "对象存储（s3:// 存档）", "Object store (an s3:// archive)", "Объектное хранилище (архив s3://)",
      "Об'єктне сховище (архів s3://)"),
    T(EndpointLabel, "端点 URL：", "Endpoint URL:", "URL хранилища:", "URL сховища:"),
    T(EndpointHint, "留空：使用下方区域的 AWS。", "Empty: AWS in the region below.", "Пусто: AWS в регионе ниже.",
      "Порожньо: AWS у регіоні нижче."),
    T(RegionLabel, "区域：", "Region:", "Регион:", "Регіон:"),
    T(AccessKeyIdLabel, "访问密钥 ID：", "Access key ID:", "ID ключа доступа:", "ID ключа доступу:"),
    T(SecretKeyLabel, "秘密访问密钥：", "Secret access key:", "Секретный ключ:", "Секретний ключ:"),
    T(RetainDaysLabel, "锁定天数：", "Lock for days:", "Блокировать дней:", "Блокувати днів:"),
    T(RetainDaysHint, "0：使用存储桶自身的保留期", "0: the bucket's own retention", "0: срок хранения бакета",
      "0: термін зберігання бакета"),
    T(LockModeLabel, "锁定模式：", "Lock mode:", "Режим блокировки:", "Режим блокування:"),
    T(LockCompliance, "合规模式", "Compliance", "Соответствие", "Відповідність"),
    T(LockGovernance, "监管模式", "Governance", "Управление", "Управління"),
    T(PresetHint, "灰色的设置由 IT 部门设定。", "Greyed settings are set by your IT department.",
      "Серые настройки задал ваш ИТ-отдел.", "Сірі налаштування задав ваш ІТ-відділ."),
    T(Ok, "确定", "OK", "ОК", "ОК"),
    T(Cancel, "取消", "Cancel", "Отмена", "Скасувати"),
    T(TrialRunning, "正在登录相机……", "Signing in to the camera…", "Вход в камеру…", "Вхід до камери…"),
    T(TrialAccepted, "相机接受了此密码。", "The camera accepted the password.", "Камера приняла пароль.",
      "Камера прийняла пароль."),
    T(TrialRefused, "相机拒绝了此密码。", "The camera refused the password.", "Камера отклонила пароль.",
      "Камера відхилила пароль."),
    T(TrialNoCamera, "没有相机：请插入一台。", "No camera: plug one in.", "Нет камеры: подключите её.",
      "Немає камери: під'єднайте її."),
    T(TrialDockRunning, "请先停止采集再试。", "Stop the dock to try it.", "Сначала остановите док-станцию.",
      "Спершу зупиніть док-станцію."),
    T(SettingsWhileRunning, "停止采集后才能更改这些设置。", "Stop the dock to change these settings.",
      "Чтобы изменить настройки, остановите док-станцию.", "Щоб змінити налаштування, зупиніть док-станцію."),
    T(ProblemArchive, "请填写存档文件夹的完整路径或 s3://存储桶/前缀。",
      "Give the archive folder's full path or s3://BUCKET/PREFIX.",
      "Укажите полный путь к папке архива или s3://БАКЕТ/ПРЕФИКС.",
      "Вкажіть повний шлях до теки архіву або s3://БАКЕТ/ПРЕФІКС."),
    T(ProblemAuditFile, "请填写审计文件的完整路径。", "Give the audit file's full path.",
      "Укажите полный путь к файлу аудита.", "Вкажіть повний шлях до файлу аудиту."),
    T(ProblemPassword, "请输入相机密码。", "Enter the camera password.", "Введите пароль камеры.",
      "Введіть пароль камери."),
    T(ProblemMaxCopies, "同时复制数应为 1 到 16。", "Copies at once: 1 to 16.", "Копий одновременно: от 1 до 16.",
      "Копій одночасно: від 1 до 16."),
    T(ProblemEndpoint, "端点 URL 应为 https://主机[:端口]，留空则使用 AWS。",
      "Endpoint URL: https://host[:port], or empty for AWS.", "URL хранилища: https://хост[:порт] или пусто для AWS.",
      "URL сховища: https://хост[:порт] або порожньо для AWS."),
    T(ProblemRegion, "区域只能包含字母、数字和连字符。", "The region: letters, digits and hyphens only.",
      "Регион: только буквы, цифры и дефисы.", "Регіон: лише літери, цифри та дефіси."),
    T(ProblemAccessKeyId, "请输入访问密钥 ID。", "Enter the access key ID.", "Введите ID ключа доступа.",
      "Введіть ID ключа доступу."),
    T(ProblemSecretKey, "请输入秘密访问密钥。", "Enter the secret access key.", "Введите секретный ключ.",
      "Введіть секретний ключ."),
    T(ProblemRetainDays, "锁定天数应为 0 到 36500。", "Lock for days: 0 to 36500.", "Блокировать дней: от 0 до 36500.",
      "Блокувати днів: від 0 до 36500."),
    T(ProblemNotSaved, "无法保存设置。", "The settings could not be saved.", "Не удалось сохранить настройки.",
      "Не вдалося зберегти налаштування."),
    T(VerifyTitle, "校验存档", "Verify archive", "Проверка архива", "Перевірка архіву"),
    T(VerifyStop, "停止", "Stop", "Остановить", "Зупинити"),
    T(Close, "关闭", "Close", "Закрыть", "Закрити"),
    T(ColumnResult, "结果", "Result", "Результат", "Результат"),
    T(VerifyValid, "完好", "valid", "в порядке", "гаразд"),
    T(VerifyInvalid, "不完好：{1}", "not valid: {1}", "повреждён: {1}", "пошкоджений: {1}"),
    T(VerifyUnfinished, "未完成的转存：重新插入相机即可继续", "unfinished offload: plug the camera in again",
      "незавершённая выгрузка: подключите камеру снова", "незавершене вивантаження: під'єднайте камеру знову"),
    T(VerifyUnlisted, "无法列出：{1}", "cannot be listed: {1}", "не читается: {1}", "не читається: {1}"),
    T(VerifyStopped, "已停止：未完整校验", "stopped: not checked in full", "остановлено: проверен не полностью",
      "зупинено: перевірено не повністю"),
    T(VerifyNoBags, "存档中没有证据包。", "The archive holds no bag.", "В архиве нет пакетов.", "В архіві немає пакетів."),
    T(VerifyProgress, "已校验 {1} / {2} 个证据包", "{1} of {2} bags checked", "Проверено пакетов: {1} из {2}",
      "Перевірено пакетів: {1} з {2}"),
    T(VerifyDone, "完成：{1} 个完好，{2} 个有问题", "Done: {1} valid, {2} with problems",
      "Готово: в порядке {1}, с ошибками {2}", "Готово: гаразд {1}, з помилками {2}"),
    T(AuditTitle, "审计日志", "Audit trail", "Журнал аудита", "Журнал аудиту"),
    T(AuditWhole, "链完整，共 {1} 行。", "The chain is whole: {1} lines.", "Цепочка цела: строк {1}.",
      "Ланцюжок цілий: рядків {1}."),
    T(AuditBroken, "链在第 {1} 行断开：{2}", "The chain breaks at line {1}: {2}", "Цепочка разорвана в строке {1}: {2}",
      "Ланцюжок розірвано в рядку {1}: {2}"),
    T(AuditUnreadable, "无法读取审计文件：{1}", "The audit file cannot be read: {1}", "Файл аудита не читается: {1}",
      "Файл аудиту не читається: {1}"),
    T(AuditAwaitsChain, "共 {1} 行，尚未成链。", "{1} lines, none chained yet.", "Строк {1}, цепочка ещё не начата.",
      "Рядків {1}, ланцюжок ще не почато."),
};

#undef T

constexpr bool InIdOrder()
{
    for (std::size_t index = 0; index < std::size(kEntries); ++index) {
        if (static_cast<std::size_t>(kEntries[index].id) != index)
            return false;
    }
    return std::size(kEntries) == static_cast<std::size_t>(DockText::Count);
}
static_assert(InIdOrder(), "one entry per text, in the order of DockText");

}  // namespace

const WideChar* DockTextOf(Language language, DockText id)
{
    auto column = static_cast<std::size_t>(language);
    if (column >= kLanguageCount)
        column = kEnglish;
    return kEntries[static_cast<std::size_t>(id)].text[column];
}

WideString FormatText(const WideChar* pattern, std::initializer_list<WideString> values)
{
    WideString text;
    for (const WideChar* p = pattern; *p; ++p) {
        bool placeholder = p[0] == '{' && p[1] >= '1' && p[1] <= '9' && p[2] == '}';
        auto index = placeholder ? static_cast<std::size_t>(p[1] - '1') : values.size();
        if (index >= values.size()) {
            text += *p;
            continue;
        }
        text += values.begin()[index];
        p += 2;
    }
    return text;
}

const WideChar* LanguageOwnName(Language language)
{
    switch (language) {
    case kChinese:
        return WIDE("中文");
    case kRussian:
        return WIDE("Русский");
    case kUkrainian:
        return WIDE("Українська");
    case kEnglish:
        break;
    }
    return WIDE("English");
}
