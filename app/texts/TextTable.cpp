// The four columns of the text table. Each record lists its 148 entries in
// index order; the English column is what the operator sees and is kept
// exactly as the windows have always shown it, its misspellings included.
// Entries that name a mode, a resolution or a language keep that name in
// every column, so the camera's own menus read the same to every operator.
#include "texts/TextTable.h"

// Chinese (Simplified).
static const LangText kChineseTexts = {{
    WIDE("Kestrava 单机版"),  // 0
    WIDE("Kestrava"),  // 1
    WIDE("连接设备"),  // 2
    WIDE("断开设备"),  // 3
    WIDE("登录"),  // 4
    WIDE("用户类型："),  // 5
    WIDE("密码："),  // 6
    WIDE("退出"),  // 7
    WIDE("管理员"),  // 8
    WIDE("用户"),  // 9
    WIDE("时间设置"),  // 10
    WIDE("时间同步完成"),  // 11
    WIDE("时间校准失败！"),  // 12
    WIDE("同步时间"),  // 13
    WIDE("参数设置"),  // 14
    WIDE("当前视频分辨率："),  // 15
    WIDE("当前电池电量："),  // 16
    WIDE("读取"),  // 17
    WIDE("设置"),  // 18
    WIDE("编号设置"),  // 19
    WIDE("摄像机编号"),  // 20
    WIDE("用户编号"),  // 21
    WIDE("部门编号"),  // 22
    WIDE("用户姓名"),  // 23
    WIDE("部门名称"),  // 24
    WIDE("4G 设置"),  // 25
    WIDE("WiFi 模式"),  // 26
    WIDE("AP"),  // 27
    WIDE("STA"),  // 28
    WIDE("WiFi 名称"),  // 29
    WIDE("WiFi 密码"),  // 30
    WIDE("服务器 IP 地址"),  // 31
    WIDE("4G APN"),  // 32
    WIDE("4G PIN 码"),  // 33
    WIDE("服务器端口"),  // 34
    WIDE("（无需设置时请留空）"),  // 35
    WIDE("失败"),  // 36
    WIDE("密码设置"),  // 37
    WIDE("管理员密码"),  // 38
    WIDE("用户密码"),  // 39
    WIDE("确认密码"),  // 40
    WIDE("切换到 U 盘模式"),  // 41
    WIDE("设置管理员密码"),  // 42
    WIDE("设置用户密码"),  // 43
    WIDE("删除录像"),  // 44
    WIDE("返回"),  // 45
    WIDE("设置成功。"),  // 46
    WIDE("设置失败。"),  // 47
    WIDE("信息"),  // 48
    WIDE("错误"),  // 49
    WIDE("确认"),  // 50
    WIDE("切换到 U 盘模式失败。"),  // 51
    WIDE("未找到摄像机。"),  // 52
    WIDE("连接设备失败。请检查设备是否已连接。"),  // 53
    WIDE("请先点击“连接设备”按钮"),  // 54
    WIDE("登录失败。"),  // 55
    WIDE("密码不能为空"),  // 56
    WIDE("两次输入的密码不一致"),  // 57
    WIDE("密码修改成功！"),  // 58
    WIDE("密码修改失败！"),  // 59
    WIDE("摄像机已进入 U 盘模式"),  // 60
    WIDE("摄像机进入 U 盘模式失败！"),  // 61
    WIDE("确认删除摄像机中的所有文件？"),  // 62
    WIDE("是"),  // 63
    WIDE("否"),  // 64
    WIDE("文件已全部删除！"),  // 65
    WIDE("摄像机编号的长度必须为"),  // 66
    WIDE("用户编号的长度必须为"),  // 67
    WIDE("密码长度必须为 6 位！"),  // 68
    WIDE("只能输入数字或字母！"),  // 69
    WIDE("不能输入空白字符！"),  // 70
    WIDE("格式化 TF 卡"),  // 71
    WIDE("格式化成功！"),  // 72
    WIDE("格式化失败！"),  // 73
    WIDE("确认格式化存储卡？"),  // 74
    WIDE("摄像机设置"),  // 75
    WIDE("视频分辨率"),  // 76
    WIDE("2304x1296 30P"),  // 77
    WIDE("1920x1080 30P"),  // 78
    WIDE("1280x720 60P"),  // 79
    WIDE("1280x720 30P"),  // 80
    WIDE("848x480 30P"),  // 81
    WIDE("实时码流"),  // 82
    WIDE("1280x720 30P"),  // 83
    WIDE("1280x720 15P"),  // 84
    WIDE("848x480 30P"),  // 85
    WIDE("848x480 15P"),  // 86
    WIDE("640x480 30P"),  // 87
    WIDE("640x480 15P"),  // 88
    WIDE("保存副码流"),  // 89
    WIDE("是"),  // 90
    WIDE("否"),  // 91
    WIDE("预录"),  // 92
    WIDE("开启"),  // 93
    WIDE("关闭"),  // 94
    WIDE("视频质量"),  // 95
    WIDE("超精细"),  // 96
    WIDE("精细"),  // 97
    WIDE("标准"),  // 98
    WIDE("分段时长"),  // 99
    WIDE("1 分钟"),  // 100
    WIDE("5 分钟"),  // 101
    WIDE("10 分钟"),  // 102
    WIDE("15 分钟"),  // 103
    WIDE("WiFi"),  // 104
    WIDE("关闭"),  // 105
    WIDE("开启"),  // 106
    WIDE("屏幕保护"),  // 107
    WIDE("关闭"),  // 108
    WIDE("1 分钟"),  // 109
    WIDE("3 分钟"),  // 110
    WIDE("5 分钟"),  // 111
    WIDE("按键音"),  // 112
    WIDE("关闭"),  // 113
    WIDE("开启"),  // 114
    WIDE("录像提示音"),  // 115
    WIDE("关闭"),  // 116
    WIDE("开启"),  // 117
    WIDE("语言"),  // 118
    WIDE("English"),  // 119
    WIDE("中文"),  // 120
    WIDE("GPS"),  // 121
    WIDE("关闭"),  // 122
    WIDE("开启"),  // 123
    WIDE("照片尺寸"),  // 124
    WIDE("4M"),  // 125
    WIDE("8M"),  // 126
    WIDE("14M"),  // 127
    WIDE("16M"),  // 128
    WIDE("21M"),  // 129
    WIDE("红外控制"),  // 130
    WIDE("手动"),  // 131
    WIDE("自动"),  // 132
    WIDE("重力感应"),  // 133
    WIDE("关闭"),  // 134
    WIDE("开启"),  // 135
    WIDE("延录"),  // 136
    WIDE("关闭"),  // 137
    WIDE("60 秒"),  // 138
    WIDE("90 秒"),  // 139
    WIDE("120 秒"),  // 140
    WIDE("振动"),  // 141
    WIDE("关闭"),  // 142
    WIDE("开启"),  // 143
    WIDE("时区设置"),  // 144
    WIDE("恢复默认设置"),  // 145
    WIDE("固件版本"),  // 146
    WIDE("序列号"),  // 147
}};

// English.
static const LangText kEnglishTexts = {{
    WIDE("Stand-Alone Kestrava"),  // 0
    WIDE("Kestrava"),  // 1
    WIDE("Connect device"),  // 2
    WIDE("Disconnect device"),  // 3
    WIDE("Sign in"),  // 4
    WIDE("User Type:"),  // 5
    WIDE("Password:"),  // 6
    WIDE("Exit"),  // 7
    WIDE("Administrator"),  // 8
    WIDE("User"),  // 9
    WIDE("Time setting"),  // 10
    WIDE("Time Synchronizer has finished"),  // 11
    WIDE("Calibrate time failed!"),  // 12
    WIDE("Time Synchronizer"),  // 13
    WIDE("Parameter setting"),  // 14
    WIDE("Current video resoulution:"),  // 15
    WIDE("Current Battery life:"),  // 16
    WIDE("Read"),  // 17
    WIDE("Setting"),  // 18
    WIDE("ID setting"),  // 19
    WIDE("Camera S/N"),  // 20
    WIDE("User ID"),  // 21
    WIDE("Department ID"),  // 22
    WIDE("User name"),  // 23
    WIDE("Department name"),  // 24
    WIDE("4G Setting"),  // 25
    WIDE("WiFi mode"),  // 26
    WIDE("AP"),  // 27
    WIDE("STA"),  // 28
    WIDE("WiFi SSID"),  // 29
    WIDE("WiFi password"),  // 30
    WIDE("Server IP address"),  // 31
    WIDE("4G APN"),  // 32
    WIDE("4G PIN"),  // 33
    WIDE("Server port"),  // 34
    WIDE("(keep empty if no needed to set)"),  // 35
    WIDE("fail"),  // 36
    WIDE("Password Setting"),  // 37
    WIDE("Administrator password"),  // 38
    WIDE("User password"),  // 39
    WIDE("Confirm password"),  // 40
    WIDE("Switch to USB Storage Mode"),  // 41
    WIDE("Setting"),  // 42
    WIDE("Setting"),  // 43
    WIDE("Delete record"),  // 44
    WIDE("Logout"),  // 45
    WIDE("Set successful."),  // 46
    WIDE("Set failed."),  // 47
    WIDE("Information"),  // 48
    WIDE("Error"),  // 49
    WIDE("OK"),  // 50
    WIDE("Switch to USB Storage Mode Failed."),  // 51
    WIDE("Can't find camera."),  // 52
    WIDE("Connect device failed.Please check if device connected."),  // 53
    WIDE("Please press \"Connect device\" button first"),  // 54
    WIDE("Sign in failed."),  // 55
    WIDE("Password can't be null"),  // 56
    WIDE("The two password is inconsistent"),  // 57
    WIDE("The password modify successfully!"),  // 58
    WIDE("The Password modify failed!"),  // 59
    WIDE("Camera has entered to u-disk"),  // 60
    WIDE("Camera enter U-disk failed!"),  // 61
    WIDE("Confirm to delete all camera files?"),  // 62
    WIDE("Yes"),  // 63
    WIDE("No"),  // 64
    WIDE("Delete files have finished!"),  // 65
    WIDE("The length of the camera ID is"),  // 66
    WIDE("The length of user ID is"),  // 67
    WIDE("The length of the password must be 6!"),  // 68
    WIDE("Input must be number or letter!"),  // 69
    WIDE("Input can't be space!"),  // 70
    WIDE("Format TF Card"),  // 71
    WIDE("Format Success!"),  // 72
    WIDE("Format Failed!"),  // 73
    WIDE("Confirm to format card?"),  // 74
    WIDE("Camera setting"),  // 75
    WIDE("Video Resolution"),  // 76
    WIDE("2304x1296 30P"),  // 77
    WIDE("1920x1080 30P"),  // 78
    WIDE("1280x720 60P"),  // 79
    WIDE("1280x720 30P"),  // 80
    WIDE("848x480 30P"),  // 81
    WIDE("Live Stream"),  // 82
    WIDE("1280x720 30P"),  // 83
    WIDE("1280x720 15P"),  // 84
    WIDE("848x480 30P"),  // 85
    WIDE("848x480 15P"),  // 86
    WIDE("640x480 30P"),  // 87
    WIDE("640x480 15P"),  // 88
    WIDE("Save Second Stream"),  // 89
    WIDE("Yes"),  // 90
    WIDE("No"),  // 91
    WIDE("Pre Record"),  // 92
    WIDE("On"),  // 93
    WIDE("Off"),  // 94
    WIDE("Video Quality"),  // 95
    WIDE("Super Fine"),  // 96
    WIDE("Fine"),  // 97
    WIDE("Normal"),  // 98
    WIDE("Split Time"),  // 99
    WIDE("1 Minute"),  // 100
    WIDE("5 Minutes"),  // 101
    WIDE("10 Minutes"),  // 102
    WIDE("15 Minuties"),  // 103
    WIDE("WIFI"),  // 104
    WIDE("Off"),  // 105
    WIDE("On"),  // 106
    WIDE("Screen Save"),  // 107
    WIDE("Off"),  // 108
    WIDE("I Minute"),  // 109
    WIDE("3 Minutes"),  // 110
    WIDE("5 Minutes"),  // 111
    WIDE("Key Beep"),  // 112
    WIDE("Off"),  // 113
    WIDE("On"),  // 114
    WIDE("Record Beep"),  // 115
    WIDE("Off"),  // 116
    WIDE("On"),  // 117
    WIDE("Language"),  // 118
    WIDE("English"),  // 119
    WIDE("中文"),  // 120
    WIDE("GPS"),  // 121
    WIDE("Off"),  // 122
    WIDE("On"),  // 123
    WIDE("Photo Size"),  // 124
    WIDE("4M"),  // 125
    WIDE("8M"),  // 126
    WIDE("14M"),  // 127
    WIDE("16M"),  // 128
    WIDE("21M"),  // 129
    WIDE("IR Control"),  // 130
    WIDE("Manual"),  // 131
    WIDE("Auto"),  // 132
    WIDE("G-Sensor"),  // 133
    WIDE("Off"),  // 134
    WIDE("On"),  // 135
    WIDE("Post Record"),  // 136
    WIDE("Off"),  // 137
    WIDE("60S"),  // 138
    WIDE("90S"),  // 139
    WIDE("120S"),  // 140
    WIDE("Vibration"),  // 141
    WIDE("Off"),  // 142
    WIDE("On"),  // 143
    WIDE("Time Zone setting"),  // 144
    WIDE("Default Setting"),  // 145
    WIDE("FW Version"),  // 146
    WIDE("Serial No"),  // 147
}};

// Russian.
static const LangText kRussianTexts = {{
    WIDE("Kestrava (автономная версия)"),  // 0
    WIDE("Kestrava"),  // 1
    WIDE("Подключить камеру"),  // 2
    WIDE("Отключить камеру"),  // 3
    WIDE("Войти"),  // 4
    WIDE("Тип пользователя:"),  // 5
    WIDE("Пароль:"),  // 6
    WIDE("Выход"),  // 7
    WIDE("Администратор"),  // 8
    WIDE("Пользователь"),  // 9
    WIDE("Настройка времени"),  // 10
    WIDE("Время синхронизировано"),  // 11
    WIDE("Ошибка синхронизации!"),  // 12
    WIDE("Синхронизировать"),  // 13
    WIDE("Настройка параметров"),  // 14
    WIDE("Текущее разрешение видео:"),  // 15
    WIDE("Текущий заряд батареи:"),  // 16
    WIDE("Прочитать"),  // 17
    WIDE("Установить"),  // 18
    WIDE("Настройка ID"),  // 19
    WIDE("Номер камеры"),  // 20
    WIDE("ID пользователя"),  // 21
    WIDE("ID подразделения"),  // 22
    WIDE("Имя сотрудника"),  // 23
    WIDE("Подразделение"),  // 24
    WIDE("Настройка 4G"),  // 25
    WIDE("Режим WiFi"),  // 26
    WIDE("AP"),  // 27
    WIDE("STA"),  // 28
    WIDE("Имя сети WiFi"),  // 29
    WIDE("Пароль WiFi"),  // 30
    WIDE("IP-адрес сервера"),  // 31
    WIDE("4G APN"),  // 32
    WIDE("PIN-код 4G"),  // 33
    WIDE("Порт сервера"),  // 34
    WIDE("(оставьте пустым, если не нужно)"),  // 35
    WIDE("ошибка"),  // 36
    WIDE("Настройка паролей"),  // 37
    WIDE("Пароль админа"),  // 38
    WIDE("Пароль пользователя"),  // 39
    WIDE("Подтвердите пароль"),  // 40
    WIDE("Перейти в режим USB"),  // 41
    WIDE("настройка"),  // 42
    WIDE("настройка"),  // 43
    WIDE("Удалить записи"),  // 44
    WIDE("назад"),  // 45
    WIDE("Настройки сохранены."),  // 46
    WIDE("Не удалось сохранить настройки."),  // 47
    WIDE("Информация"),  // 48
    WIDE("Ошибка"),  // 49
    WIDE("Хорошо"),  // 50
    WIDE("Не удалось перейти в режим USB-накопителя."),  // 51
    WIDE("Камера не найдена."),  // 52
    WIDE("Не удалось подключить камеру. Проверьте, подключена ли она."),  // 53
    WIDE("Сначала нажмите кнопку «Подключить камеру»"),  // 54
    WIDE("Не удалось войти."),  // 55
    WIDE("Пароль не может быть пустым"),  // 56
    WIDE("Пароли не совпадают"),  // 57
    WIDE("Пароль успешно изменён!"),  // 58
    WIDE("Не удалось изменить пароль!"),  // 59
    WIDE("Камера перешла в режим USB-накопителя"),  // 60
    WIDE("Камера не перешла в режим USB-накопителя!"),  // 61
    WIDE("Удалить все файлы на камере?"),  // 62
    WIDE("Да"),  // 63
    WIDE("Нет"),  // 64
    WIDE("Файлы удалены!"),  // 65
    WIDE("Длина ID камеры должна быть"),  // 66
    WIDE("Длина ID пользователя должна быть"),  // 67
    WIDE("Пароль должен состоять из 6 символов!"),  // 68
    WIDE("Допускаются только цифры и буквы!"),  // 69
    WIDE("Нельзя вводить пробельные символы!"),  // 70
    WIDE("Форматировать"),  // 71
    WIDE("Форматирование завершено!"),  // 72
    WIDE("Ошибка форматирования!"),  // 73
    WIDE("Отформатировать карту?"),  // 74
    WIDE("Настройки камеры"),  // 75
    WIDE("Разрешение видео"),  // 76
    WIDE("2304x1296 30P"),  // 77
    WIDE("1920x1080 30P"),  // 78
    WIDE("1280x720 60P"),  // 79
    WIDE("1280x720 30P"),  // 80
    WIDE("848x480 30P"),  // 81
    WIDE("Трансляция"),  // 82
    WIDE("1280x720 30P"),  // 83
    WIDE("1280x720 15P"),  // 84
    WIDE("848x480 30P"),  // 85
    WIDE("848x480 15P"),  // 86
    WIDE("640x480 30P"),  // 87
    WIDE("640x480 15P"),  // 88
    WIDE("Сохранять второй поток"),  // 89
    WIDE("Да"),  // 90
    WIDE("Нет"),  // 91
    WIDE("Предзапись"),  // 92
    WIDE("Вкл."),  // 93
    WIDE("Выкл."),  // 94
    WIDE("Качество видео"),  // 95
    WIDE("Наилучшее"),  // 96
    WIDE("Высокое"),  // 97
    WIDE("Обычное"),  // 98
    WIDE("Длина фрагмента"),  // 99
    WIDE("1 минута"),  // 100
    WIDE("5 минут"),  // 101
    WIDE("10 минут"),  // 102
    WIDE("15 минут"),  // 103
    WIDE("WiFi"),  // 104
    WIDE("Выкл."),  // 105
    WIDE("Вкл."),  // 106
    WIDE("Отключение экрана"),  // 107
    WIDE("Выкл."),  // 108
    WIDE("1 минута"),  // 109
    WIDE("3 минуты"),  // 110
    WIDE("5 минут"),  // 111
    WIDE("Звук кнопок"),  // 112
    WIDE("Выкл."),  // 113
    WIDE("Вкл."),  // 114
    WIDE("Звук записи"),  // 115
    WIDE("Выкл."),  // 116
    WIDE("Вкл."),  // 117
    WIDE("Язык"),  // 118
    WIDE("English"),  // 119
    WIDE("中文"),  // 120
    WIDE("GPS"),  // 121
    WIDE("Выкл."),  // 122
    WIDE("Вкл."),  // 123
    WIDE("Размер фото"),  // 124
    WIDE("4M"),  // 125
    WIDE("8M"),  // 126
    WIDE("14M"),  // 127
    WIDE("16M"),  // 128
    WIDE("21M"),  // 129
    WIDE("ИК-подсветка"),  // 130
    WIDE("Вручную"),  // 131
    WIDE("Авто"),  // 132
    WIDE("G-датчик"),  // 133
    WIDE("Выкл."),  // 134
    WIDE("Вкл."),  // 135
    WIDE("Постзапись"),  // 136
    WIDE("Выкл."),  // 137
    WIDE("60 с"),  // 138
    WIDE("90 с"),  // 139
    WIDE("120 с"),  // 140
    WIDE("Вибрация"),  // 141
    WIDE("Выкл."),  // 142
    WIDE("Вкл."),  // 143
    WIDE("Часовой пояс"),  // 144
    WIDE("Сброс настроек"),  // 145
    WIDE("Версия прошивки"),  // 146
    WIDE("Зав. №"),  // 147
}};

// Ukrainian.
static const LangText kUkrainianTexts = {{
    WIDE("Kestrava (автономна версія)"),  // 0
    WIDE("Kestrava"),  // 1
    WIDE("Підключити пристрій"),  // 2
    WIDE("Відключити пристрій"),  // 3
    WIDE("Увійти"),  // 4
    WIDE("Тип користувача:"),  // 5
    WIDE("Пароль:"),  // 6
    WIDE("Вихід"),  // 7
    WIDE("Адміністратор"),  // 8
    WIDE("Користувач"),  // 9
    WIDE("Налаштування часу"),  // 10
    WIDE("Час синхронізовано"),  // 11
    WIDE("Помилка синхронізації!"),  // 12
    WIDE("Синхронізувати час"),  // 13
    WIDE("Налаштування параметрів"),  // 14
    WIDE("Роздільна здатність:"),  // 15
    WIDE("Поточний заряд батареї:"),  // 16
    WIDE("Прочитати"),  // 17
    WIDE("Встановити"),  // 18
    WIDE("Налаштування ID"),  // 19
    WIDE("Номер камери"),  // 20
    WIDE("ID користувача"),  // 21
    WIDE("ID підрозділу"),  // 22
    WIDE("Ім'я працівника"),  // 23
    WIDE("Назва підрозділу"),  // 24
    WIDE("Налаштування 4G"),  // 25
    WIDE("Режим WiFi"),  // 26
    WIDE("AP"),  // 27
    WIDE("STA"),  // 28
    WIDE("Мережа WiFi"),  // 29
    WIDE("Пароль WiFi"),  // 30
    WIDE("IP сервера"),  // 31
    WIDE("4G APN"),  // 32
    WIDE("PIN-код 4G"),  // 33
    WIDE("Порт сервера"),  // 34
    WIDE("(залиште порожнім, якщо не потрібно)"),  // 35
    WIDE("помилка"),  // 36
    WIDE("Налаштування паролів"),  // 37
    WIDE("Пароль адміна"),  // 38
    WIDE("Пароль користувача"),  // 39
    WIDE("Підтвердіть пароль"),  // 40
    WIDE("Перейти в режим USB"),  // 41
    WIDE("Встановлення"),  // 42
    WIDE("Встановлення"),  // 43
    WIDE("Видалити записи"),  // 44
    WIDE("Назад"),  // 45
    WIDE("Налаштування збережено."),  // 46
    WIDE("Не вдалося зберегти налаштування."),  // 47
    WIDE("Інформація"),  // 48
    WIDE("Помилка"),  // 49
    WIDE("Ок."),  // 50
    WIDE("Не вдалося перейти в режим USB-накопичувача."),  // 51
    WIDE("Камеру не знайдено."),  // 52
    WIDE("Не вдалося підключити пристрій. Перевірте, чи його підключено."),  // 53
    WIDE("Спочатку натисніть кнопку «Підключити пристрій»"),  // 54
    WIDE("Не вдалося увійти."),  // 55
    WIDE("Пароль не може бути порожнім"),  // 56
    WIDE("Паролі не збігаються"),  // 57
    WIDE("Пароль успішно змінено!"),  // 58
    WIDE("Не вдалося змінити пароль!"),  // 59
    WIDE("Камера перейшла в режим USB-накопичувача"),  // 60
    WIDE("Камера не перейшла в режим USB-накопичувача!"),  // 61
    WIDE("Видалити всі файли на камері?"),  // 62
    WIDE("Так"),  // 63
    WIDE("Ні"),  // 64
    WIDE("Файли видалено!"),  // 65
    WIDE("Довжина ID камери має бути"),  // 66
    WIDE("Довжина ID користувача має бути"),  // 67
    WIDE("Пароль має складатися з 6 символів!"),  // 68
    WIDE("Допускаються лише цифри та літери!"),  // 69
    WIDE("Не можна вводити пробільні символи!"),  // 70
    WIDE("Форматувати"),  // 71
    WIDE("Форматування завершено!"),  // 72
    WIDE("Помилка форматування!"),  // 73
    WIDE("Відформатувати картку?"),  // 74
    WIDE("Налаштування камери"),  // 75
    WIDE("Роздільна здатність відео"),  // 76
    WIDE("2304x1296 30P"),  // 77
    WIDE("1920x1080 30P"),  // 78
    WIDE("1280x720 60P"),  // 79
    WIDE("1280x720 30P"),  // 80
    WIDE("848x480 30P"),  // 81
    WIDE("Трансляція"),  // 82
    WIDE("1280x720 30P"),  // 83
    WIDE("1280x720 15P"),  // 84
    WIDE("848x480 30P"),  // 85
    WIDE("848x480 15P"),  // 86
    WIDE("640x480 30P"),  // 87
    WIDE("640x480 15P"),  // 88
    WIDE("Зберігати другий потік"),  // 89
    WIDE("Так"),  // 90
    WIDE("Ні"),  // 91
    WIDE("Передзапис"),  // 92
    WIDE("Увімк."),  // 93
    WIDE("Вимк."),  // 94
    WIDE("Якість відео"),  // 95
    WIDE("Найвища"),  // 96
    WIDE("Висока"),  // 97
    WIDE("Звичайна"),  // 98
    WIDE("Тривалість фрагмента"),  // 99
    WIDE("1 хвилина"),  // 100
    WIDE("5 хвилин"),  // 101
    WIDE("10 хвилин"),  // 102
    WIDE("15 хвилин"),  // 103
    WIDE("WiFi"),  // 104
    WIDE("Вимк."),  // 105
    WIDE("Увімк."),  // 106
    WIDE("Вимкнення екрана"),  // 107
    WIDE("Вимк."),  // 108
    WIDE("1 хвилина"),  // 109
    WIDE("3 хвилини"),  // 110
    WIDE("5 хвилин"),  // 111
    WIDE("Звук кнопок"),  // 112
    WIDE("Вимк."),  // 113
    WIDE("Увімк."),  // 114
    WIDE("Звук запису"),  // 115
    WIDE("Вимк."),  // 116
    WIDE("Увімк."),  // 117
    WIDE("Мова"),  // 118
    WIDE("English"),  // 119
    WIDE("中文"),  // 120
    WIDE("GPS"),  // 121
    WIDE("Вимк."),  // 122
    WIDE("Увімк."),  // 123
    WIDE("Розмір фото"),  // 124
    WIDE("4M"),  // 125
    WIDE("8M"),  // 126
    WIDE("14M"),  // 127
    WIDE("16M"),  // 128
    WIDE("21M"),  // 129
    WIDE("ІЧ-підсвічування"),  // 130
    WIDE("Вручну"),  // 131
    WIDE("Авто"),  // 132
    WIDE("G-датчик"),  // 133
    WIDE("Вимк."),  // 134
    WIDE("Увімк."),  // 135
    WIDE("Післязапис"),  // 136
    WIDE("Вимк."),  // 137
    WIDE("60 с"),  // 138
    WIDE("90 с"),  // 139
    WIDE("120 с"),  // 140
    WIDE("Вібрація"),  // 141
    WIDE("Вимк."),  // 142
    WIDE("Увімк."),  // 143
    WIDE("Часовий пояс"),  // 144
    WIDE("Скидання налаштувань"),  // 145
    WIDE("Версія прошивки"),  // 146
    WIDE("Зав. №"),  // 147
}};

const LangText* const g_textTable[kLanguageCount] = {
    &kChineseTexts,
    &kEnglishTexts,
    &kRussianTexts,
    &kUkrainianTexts,
};

signed char g_language = kChinese;

const WideChar* Text(int id) {
    return g_textTable[g_language]->entries[id];
}
