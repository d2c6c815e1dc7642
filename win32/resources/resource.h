// Every resource, template, control and command id of the program, shared by
// the resource script and the code.
#pragma once

// Main window: menu, accelerators and window class name share 109.
#define IDR_MAINFRAME               109
#define IDS_APP_TITLE               103
#define IDS_WINDOW_CLASS            109
#define IDI_KVR2840E                138

// About box.
#define IDD_ABOUTBOX                103
#define IDC_ABOUT_ICON              1000
#define IDC_ABOUT_TEXT              1001

// Menu commands.
#define IDM_ABOUT                   104
#define IDM_EXIT                    105
#define IDM_FILE_NEW                32795
#define IDM_FILE_OPEN               32796
#define IDM_FILE_SAVE               32797
#define IDM_FILE_SAVE_AS            32798
#define IDM_DISPLAY_PATTERN         32778
#define IDM_AUTO_SWITCH             32779
#define IDM_VIDEO_OUTPUT            32783
#define IDM_SET_ALL                 32784
#define IDM_SLAVE_ADDRESS           32812
#define IDM_READ_ALL                32786
#define IDM_IO_STATUS               32809
#define IDM_INTERFACE               32771
#define IDM_SERIAL_SETTINGS         32772
#define IDM_CLIENT_SERVER           32794
#define IDM_TCP_SETTINGS            32773
#define IDM_UNIT_NETWORK            32808

// Commands without a menu item.
#define IDM_DATE_TIME               32774
#define IDM_TITLES                  32775
#define IDM_TITLE_POSITION          32777
#define IDM_PASSWORD                32782
#define IDM_DATE_TIME_INPUT         32790
#define IDM_DATE_TIME_OUTPUT        32791
#define IDM_TITLE_DISPLAY_INPUT     32792
#define IDM_TITLE_DISPLAY_OUTPUT    32793
#define IDM_GLYPH_INSERT            32800
#define IDM_GLYPH_SMALL             32801
#define IDM_GLYPH_MEDIUM            32802
#define IDM_GLYPH_LARGE             32803
#define IDM_TITLE_FONT_SIZE         32804
#define IDM_TITLE_FINE_POSITION     32805
#define IDM_ALARM_SETTINGS          32813
#define IDM_ALARM_INPUT             32814
#define IDM_ALARM_VIDEO_OUTPUT      32815
#define IDM_ALARM_SIGNAL_OUTPUT     32816

// Dialog templates.
#define IDD_DATE_TIME               129
#define IDD_TITLES                  131
#define IDD_TITLE_POSITION          133
#define IDD_DISPLAY_PATTERN         134
#define IDD_AUTO_SWITCH             135
#define IDD_PASSWORD                137
#define IDD_INTERFACE               141
#define IDD_SERIAL_SETTINGS         142
#define IDD_TCP_CLIENT              143
#define IDD_VIDEO_OUTPUT            148
#define IDD_SET_ALL                 152
#define IDD_READ_ALL                153
#define IDD_DATE_TIME_OUTPUT        159
#define IDD_TITLE_DISPLAY_OUTPUT    160
#define IDD_DATE_TIME_INPUT         161
#define IDD_TITLE_DISPLAY_INPUT     162
#define IDD_CLIENT_SERVER           167
#define IDD_TCP_SERVER              170
#define IDD_GLYPH_EDITOR            172
#define IDD_GLYPH_INSERT            173
#define IDD_TITLE_FONT_SIZE         176
#define IDD_TITLE_FINE_POSITION     177
#define IDD_IO_STATUS               180
#define IDD_UNIT_NETWORK            181
#define IDD_SLAVE_ADDRESS           183
#define IDD_ALARM_SETTINGS          185
#define IDD_ALARM_INPUT             186
#define IDD_ALARM_VIDEO_OUTPUT      187
#define IDD_ALARM_SIGNAL_OUTPUT     188

// Communication settings dialogs.
#define IDC_INTERFACE_LIST          1115
#define IDC_INTERFACE_OK            1114
#define IDC_SERIAL_PORT_LIST        1032
#define IDC_SERIAL_CONTROL_LIST     1030
#define IDC_SERIAL_OK               1031
#define IDC_CLIENT_SERVER_LIST      1116
#define IDC_CLIENT_SERVER_OK        1117
#define IDC_SLAVE_ADDRESS_LIST      1201
#define IDC_SLAVE_ADDRESS_CLOSE     1202

// TCP/IP client dialog.
#define IDC_CLIENT_HOST_ADDRESS     1132
#define IDC_CLIENT_HOST_LIST        1197
#define IDC_CLIENT_PORT             1123
#define IDC_CLIENT_ADD              1124
#define IDC_CLIENT_DELETE           1125
#define IDC_CLIENT_CONNECT          1120
#define IDC_CLIENT_DISCONNECT       1121
#define IDC_CLIENT_CLOSE            1119

// TCP/IP server dialog.
#define IDC_SERVER_DESTINATION      1126
#define IDC_SERVER_CLIENT_LIST      1198
#define IDC_SERVER_PORT             1128
#define IDC_SERVER_LISTEN           1129
#define IDC_SERVER_STOP             1130
#define IDC_SERVER_CLOSE            1131

// Channel-table dialogs: the frame's controls, shared by every member.
#define IDC_TABLE_CHANNEL_LIST      1300
#define IDC_TABLE_VALUE_LIST        1301
#define IDC_TABLE_SAME_LIST         1302
#define IDC_TABLE_SET               1303
#define IDC_TABLE_SET_ALL           1304
#define IDC_TABLE_SLAVE_LIST        1305
#define IDC_TABLE_CLOSE             1306
#define IDC_TABLE_SEQUENCE          1307
#define IDC_TABLE_PERCENT           1308
#define IDC_TABLE_PERCENT_LABEL     1309
// Screen display pattern.
#define IDC_PATTERN_LIST            1310
#define IDC_PATTERN_SWITCH          1311
// Auto-switch pattern.
#define IDC_AUTO_PATTERN_LIST       1312

// Read all and set all.
#define IDC_TRANSFER_START          1320
#define IDC_TRANSFER_PERCENT        1321
#define IDC_TRANSFER_PERCENT_LABEL  1322
#define IDC_TRANSFER_PROGRESS       1323
#define IDC_TRANSFER_SLAVE_LIST     1324
#define IDC_TRANSFER_CLOSE          1325

// Flag tables of the channel-table frame (alarm outputs): the "ON" and "OFF"
// radio buttons of flag k are these + k, up to 8 flags.
#define IDC_TABLE_FLAG_ON           1500
#define IDC_TABLE_FLAG_OFF          1508
// Panel password.
#define IDC_PASSWORD_NUMBER         1400
#define IDC_PASSWORD_NUMBER_SET     1401
#define IDC_PASSWORD_BUTTON_LIST    1402
#define IDC_PASSWORD_BUTTON_SET     1403
#define IDC_PASSWORD_MENU_LIST      1404
#define IDC_PASSWORD_MENU_SET       1405
#define IDC_PASSWORD_SLAVE_LIST     1406
#define IDC_PASSWORD_CLOSE          1407

// Alarm settings.
#define IDC_ALARM_POLARITY_LIST     1410
#define IDC_ALARM_POLARITY_SET      1411
#define IDC_ALARM_HOLD_TIME         1412
#define IDC_ALARM_HOLD_TIME_SET     1413
#define IDC_ALARM_BUZZER_LIST       1414
#define IDC_ALARM_BUZZER_SET        1415
#define IDC_ALARM_DISPLAY_LIST      1416
#define IDC_ALARM_DISPLAY_SET       1417
#define IDC_ALARM_RETURN_LIST       1418
#define IDC_ALARM_RETURN_SET        1419
#define IDC_ALARM_SLAVE_LIST        1420
#define IDC_ALARM_CLOSE             1421

// Unit network settings.
#define IDC_UNIT_IP_ADDRESS         1430
#define IDC_UNIT_IP_SET             1431
#define IDC_UNIT_GATEWAY_ADDRESS    1432
#define IDC_UNIT_GATEWAY_SET        1433
#define IDC_UNIT_ACTIVE_ADDRESS     1434
#define IDC_UNIT_ACTIVE_SET         1435
#define IDC_UNIT_SUBNET_MASK        1436
#define IDC_UNIT_SUBNET_SET         1437
#define IDC_UNIT_CONNECTION_LIST    1438
#define IDC_UNIT_CONNECTION_SET     1439
#define IDC_UNIT_KEEP_ALIVE_LIST    1440
#define IDC_UNIT_KEEP_ALIVE_SET     1441
#define IDC_UNIT_TIME_LIST          1442
#define IDC_UNIT_TIME_SET           1443
#define IDC_UNIT_SOURCE_PORT        1444
#define IDC_UNIT_SOURCE_PORT_SET    1445
#define IDC_UNIT_DESTINATION_PORT   1446
#define IDC_UNIT_DESTINATION_SET    1447
#define IDC_UNIT_MAC_ADDRESS        1448
#define IDC_UNIT_VERSION            1449
#define IDC_UNIT_READ               1450
#define IDC_UNIT_PROGRESS           1451
#define IDC_UNIT_CLOSE              1452

// Date and time: each clock list is followed by its "設定" (list id + 1).
#define IDC_CLOCK_YEAR_LIST         1600
#define IDC_CLOCK_YEAR_SET          1601
#define IDC_CLOCK_MONTH_LIST        1602
#define IDC_CLOCK_MONTH_SET         1603
#define IDC_CLOCK_DAY_LIST          1604
#define IDC_CLOCK_DAY_SET           1605
#define IDC_CLOCK_HOUR_LIST         1606
#define IDC_CLOCK_HOUR_SET          1607
#define IDC_CLOCK_MINUTE_LIST       1608
#define IDC_CLOCK_MINUTE_SET        1609
#define IDC_CLOCK_SECOND_LIST       1610
#define IDC_CLOCK_SECOND_SET        1611
#define IDC_CLOCK_RANGE_LIST        1612
#define IDC_CLOCK_RANGE_SET         1613
#define IDC_CLOCK_SIZE_GROUP        1614
#define IDC_CLOCK_SIZE_LIST         1615
#define IDC_CLOCK_SIZE_SET          1616
#define IDC_CLOCK_CORRECTION        1617
#define IDC_CLOCK_SLAVE_LIST        1618
#define IDC_CLOCK_CLOSE             1619

// Title fine position: each list is followed by its "設定" (list id + 1).
#define IDC_TITLE_TOP_LIST          1630
#define IDC_TITLE_TOP_SET           1631
#define IDC_TITLE_BOTTOM_LIST       1632
#define IDC_TITLE_BOTTOM_SET        1633
#define IDC_TITLE_FINE_SLAVE_LIST   1634
#define IDC_TITLE_FINE_CLOSE        1635
// Titles.
#define IDC_TITLE_TEXT              1640
// Glyph editor and glyph insertion.
#define IDC_GLYPH_NEW               1700
#define IDC_GLYPH_OPEN              1701
#define IDC_GLYPH_SAVE              1702
#define IDC_GLYPH_SAVE_AS           1703
#define IDC_GLYPH_SLOT_LIST         1704
#define IDC_GLYPH_REGISTER          1705
#define IDC_GLYPH_SLOT_READ         1706
#define IDC_GLYPH_SAMPLE            1707
#define IDC_GLYPH_SAMPLE_READ       1708
#define IDC_GLYPH_SLAVE_LIST        1709
#define IDC_GLYPH_CLOSE             1710
#define IDC_INSERT_CHANNEL_LIST     1720
#define IDC_INSERT_SIZE_LIST        1721
#define IDC_INSERT_SLOT_LIST        1722
#define IDC_INSERT_POSITION_LIST    1723
#define IDC_INSERT_SLAVE_LIST       1724
#define IDC_INSERT_SET              1725
#define IDC_INSERT_CLOSE            1726

#define IDC_STATIC                  -1
