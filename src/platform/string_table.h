#pragma once

#include <QString>

// The program's numbered texts. Texts are held as Unicode; callers that need
// single-byte text convert with ToCp1252.
enum StringId : unsigned {
    IDS_INDEX_FILE_HEADER = 1,
    IDS_QUIT_QUESTION = 100,
    IDS_INDEX_FILE_ERROR = 200,
    IDS_REPORT_FILE_ERROR = 201,
    IDS_OPEN_FAILED = 202,
    IDS_NOT_A_DOCUMENT = 203,
    IDS_SAVE_FAILED = 204,
    IDS_BAD_DATE = 205,
    IDS_INDEX_FILE_TOO_LARGE = 210,
    IDS_INDEX_FILE_NOT_REWRITTEN = 211,
    IDS_INDEX_BACKUP_NOT_KEPT = 212,
    IDS_REPORT_LOCK_UNREADABLE = 213,
    IDS_INDEX_FILE_NOT_SAVED = 214,
    IDS_REPORT_CLASH = 250,
    IDS_RUN_INDEX_FILE_UNREADABLE = 251,
    IDS_OUTPUT_NOT_A_FOLDER = 252,
    IDS_OUTPUT_FOLDER_FAILED = 253,
    IDS_AMOUNT_NOT_A_NUMBER = 260,
    IDS_INDEX_NOT_A_NUMBER = 261,
    IDS_INDEX_TOO_LARGE = 262,
    IDS_NO_REFERENCE_INDEX = 400,
    IDS_NO_RENT = 401,
    IDS_START_AFTER_END = 403,
    IDS_ZERO_INDEX = 404,
    IDS_START_IN_FIRST_QUARTER_1970 = 405,
    IDS_APP_TITLE = 57344,
    // Texts of the dialog framework.
    IDS_UNNAMED_FILE = 61446,
    IDS_PARSE_INT_RANGE = 61706,
    IDS_PARSE_STRING_SIZE = 61708,
    IDS_PARSE_UINT = 61711,
    IDS_DISK_FULL = 61869,
    IDS_END_OF_FILE = 61875,
};

// The text of entry `id`, or an empty text for an unknown number.
QString LoadString(unsigned id);

// The fixed text shown by the date checks of the data dialog.
QString DateInvalidText();
