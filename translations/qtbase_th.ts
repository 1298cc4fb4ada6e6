<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Qt's own texts the program can show, in Thai: Qt 6.4's contexts and
     source texts exactly (as lconvert lists them from a compiled catalogue
     of Debian's qt6-translations-l10n, and as Qt asks for them). Key names
     (context QShortcut) stay as printed on the keys. Edit with Qt Linguist
     or by hand; lrelease compiles it when building. -->
<TS version="2.1" language="th_TH" sourcelanguage="en_US">
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>ตกลง</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>บันทึก</translation>
    </message>
    <message>
        <source>Save All</source>
        <translation>บันทึกทั้งหมด</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>เปิด</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>ใช่ (&amp;Y)</translation>
    </message>
    <message>
        <source>Yes to &amp;All</source>
        <translation>ใช่ทั้งหมด (&amp;A)</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>ไม่ใช่ (&amp;N)</translation>
    </message>
    <message>
        <source>N&amp;o to All</source>
        <translation>ไม่ใช่ทั้งหมด (&amp;O)</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>ยุติ</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>ลองอีกครั้ง</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>ข้าม</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>ปิด</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ยกเลิก</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>ไม่บันทึก</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>วิธีใช้</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>นำไปใช้</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>ล้างค่า</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>คืนค่าเริ่มต้น</translation>
    </message>
</context>
<context>
    <name>QGnomeTheme</name>
    <message>
        <source>&amp;OK</source>
        <translation>ตกลง (&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>บันทึก (&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>ยกเลิก (&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>ปิด (&amp;C)</translation>
    </message>
    <message>
        <source>Close without Saving</source>
        <translation>ปิดโดยไม่บันทึก</translation>
    </message>
</context>
<context>
    <name>QDialogButtonBox</name>
    <message>
        <source>OK</source>
        <translation>ตกลง</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Show Details...</source>
        <translation>แสดงรายละเอียด...</translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation>ซ่อนรายละเอียด...</translation>
    </message>
</context>
<context>
    <name>QInputDialog</name>
    <message>
        <source>Enter a value:</source>
        <translation>ป้อนค่า:</translation>
    </message>
</context>
<context>
    <name>QDialog</name>
    <message>
        <source>What&apos;s This?</source>
        <translation>นี่คืออะไร?</translation>
    </message>
</context>
<context>
    <name>QWhatsThisAction</name>
    <message>
        <source>What&apos;s This?</source>
        <translation>นี่คืออะไร?</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>Look in:</source>
        <translation>ดูในโฟลเดอร์:</translation>
    </message>
    <message>
        <source>File &amp;name:</source>
        <translation>ชื่อแฟ้ม (&amp;N):</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>ชนิดแฟ้ม:</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>โฟลเดอร์:</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>เปิด (&amp;O)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>บันทึก (&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Choose</source>
        <translation>เลือก (&amp;C)</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>เปิด</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>บันทึกเป็น</translation>
    </message>
    <message>
        <source>Find Directory</source>
        <translation>เลือกโฟลเดอร์</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>ย้อนกลับ</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>ย้อนกลับไปโฟลเดอร์ก่อนหน้า</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>ไปข้างหน้า</translation>
    </message>
    <message>
        <source>Go forward</source>
        <translation>ไปยังโฟลเดอร์ถัดไป</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>โฟลเดอร์ระดับบน</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>ไปยังโฟลเดอร์ระดับบน</translation>
    </message>
    <message>
        <source>Create New Folder</source>
        <translation>สร้างโฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>Create a New Folder</source>
        <translation>สร้างโฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>สร้างโฟลเดอร์ใหม่ (&amp;N)</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>โฟลเดอร์ใหม่</translation>
    </message>
    <message>
        <source>List View</source>
        <translation>แบบรายการ</translation>
    </message>
    <message>
        <source>Change to list view mode</source>
        <translation>แสดงแฟ้มแบบรายการ</translation>
    </message>
    <message>
        <source>Detail View</source>
        <translation>แบบละเอียด</translation>
    </message>
    <message>
        <source>Change to detail view mode</source>
        <translation>แสดงแฟ้มแบบละเอียด</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>แถบด้านข้าง</translation>
    </message>
    <message>
        <source>List of places and bookmarks</source>
        <translation>รายการโฟลเดอร์ที่ใช้บ่อย</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>แฟ้ม</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>โฟลเดอร์</translation>
    </message>
    <message>
        <source>Recent Places</source>
        <translation>ที่ใช้ล่าสุด</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>ทุกแฟ้ม (*)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>ทุกแฟ้ม (*)</translation>
    </message>
    <message>
        <source>Show </source>
        <translation>แสดงคอลัมน์</translation>
    </message>
    <message>
        <source>Show &amp;hidden files</source>
        <translation>แสดงแฟ้มที่ซ่อนไว้ (&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>เปลี่ยนชื่อ (&amp;R)</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>ลบ (&amp;D)</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>เอาออกจากรายการ</translation>
    </message>
    <message>
        <source>Alt+Left</source>
        <translation>Alt+Left</translation>
    </message>
    <message>
        <source>Alt+Right</source>
        <translation>Alt+Right</translation>
    </message>
    <message>
        <source>Alt+Up</source>
        <translation>Alt+Up</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>มีแฟ้ม %1 อยู่แล้ว
ต้องการบันทึกทับแฟ้มเดิมหรือไม่?</translation>
    </message>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation>%1
ไม่พบแฟ้มนี้
โปรดตรวจดูว่าพิมพ์ชื่อแฟ้มถูกต้อง</translation>
    </message>
    <message>
        <source>%1
Directory not found.
Please verify the correct directory name was given.</source>
        <translation>%1
ไม่พบโฟลเดอร์นี้
โปรดตรวจดูว่าพิมพ์ชื่อโฟลเดอร์ถูกต้อง</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &apos;%1&apos;?</source>
        <translation>ต้องการลบ &apos;%1&apos; จริงหรือไม่?</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is write protected.
Do you want to delete it anyway?</source>
        <translation>&apos;%1&apos; ถูกป้องกันไม่ให้แก้ไข
ยังต้องการลบหรือไม่?</translation>
    </message>
    <message>
        <source>Could not delete directory.</source>
        <translation>ลบโฟลเดอร์ไม่ได้</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Name</source>
        <translation>ชื่อ</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>ขนาด</translation>
    </message>
    <message>
        <source>Type</source>
        <comment>All other platforms</comment>
        <translation>ชนิด</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>วันที่แก้ไข</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>คอมพิวเตอร์</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Drive</source>
        <translation>ไดรฟ์</translation>
    </message>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>โฟลเดอร์</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <comment>All other platforms</comment>
        <translation>ทางลัด</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>ไม่ทราบชนิด</translation>
    </message>
</context>
<context>
    <name>QLineEdit</name>
    <message>
        <source>&amp;Undo</source>
        <translation>เลิกทำ (&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>ทำซ้ำ (&amp;R)</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>ตัด (&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>คัดลอก (&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>วาง (&amp;P)</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>เลือกทั้งหมด</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>&amp;Undo</source>
        <translation>เลิกทำ (&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>ทำซ้ำ (&amp;R)</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>ตัด (&amp;T)</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>คัดลอก (&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>วาง (&amp;P)</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>ลบ</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>เลือกทั้งหมด</translation>
    </message>
    <message>
        <source>Copy &amp;Link Location</source>
        <translation>คัดลอกที่อยู่ลิงก์ (&amp;L)</translation>
    </message>
</context>
<context>
    <name>QAbstractSpinBox</name>
    <message>
        <source>&amp;Select All</source>
        <translation>เลือกทั้งหมด (&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Step up</source>
        <translation>เพิ่มขึ้น (&amp;S)</translation>
    </message>
    <message>
        <source>Step &amp;down</source>
        <translation>ลดลง (&amp;D)</translation>
    </message>
</context>
<context>
    <name>QUnicodeControlCharacterMenu</name>
    <message>
        <source>Insert Unicode control character</source>
        <translation>แทรกอักขระควบคุมยูนิโค้ด</translation>
    </message>
    <message>
        <source>LRM Left-to-right mark</source>
        <translation>LRM เครื่องหมายซ้ายไปขวา</translation>
    </message>
    <message>
        <source>RLM Right-to-left mark</source>
        <translation>RLM เครื่องหมายขวาไปซ้าย</translation>
    </message>
    <message>
        <source>ZWJ Zero width joiner</source>
        <translation>ZWJ ตัวเชื่อมความกว้างศูนย์</translation>
    </message>
    <message>
        <source>ZWNJ Zero width non-joiner</source>
        <translation>ZWNJ ตัวไม่เชื่อมความกว้างศูนย์</translation>
    </message>
    <message>
        <source>ZWSP Zero width space</source>
        <translation>ZWSP ช่องว่างความกว้างศูนย์</translation>
    </message>
    <message>
        <source>LRE Start of left-to-right embedding</source>
        <translation>LRE เริ่มข้อความฝังซ้ายไปขวา</translation>
    </message>
    <message>
        <source>RLE Start of right-to-left embedding</source>
        <translation>RLE เริ่มข้อความฝังขวาไปซ้าย</translation>
    </message>
    <message>
        <source>LRO Start of left-to-right override</source>
        <translation>LRO เริ่มบังคับทิศซ้ายไปขวา</translation>
    </message>
    <message>
        <source>RLO Start of right-to-left override</source>
        <translation>RLO เริ่มบังคับทิศขวาไปซ้าย</translation>
    </message>
    <message>
        <source>PDF Pop directional formatting</source>
        <translation>PDF จบการกำหนดทิศ</translation>
    </message>
    <message>
        <source>LRI Left-to-right isolate</source>
        <translation>LRI แยกข้อความซ้ายไปขวา</translation>
    </message>
    <message>
        <source>RLI Right-to-left isolate</source>
        <translation>RLI แยกข้อความขวาไปซ้าย</translation>
    </message>
    <message>
        <source>FSI First strong isolate</source>
        <translation>FSI แยกข้อความตามอักษรตัวแรก</translation>
    </message>
    <message>
        <source>PDI Pop directional isolate</source>
        <translation>PDI จบการแยกข้อความ</translation>
    </message>
</context>
<context>
    <name>QScrollBar</name>
    <message>
        <source>Scroll here</source>
        <translation>เลื่อนมาที่นี่</translation>
    </message>
    <message>
        <source>Left edge</source>
        <translation>ซ้ายสุด</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>บนสุด</translation>
    </message>
    <message>
        <source>Right edge</source>
        <translation>ขวาสุด</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>ล่างสุด</translation>
    </message>
    <message>
        <source>Page left</source>
        <translation>ไปทางซ้ายหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Page up</source>
        <translation>ขึ้นหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Page right</source>
        <translation>ไปทางขวาหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Page down</source>
        <translation>ลงหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Scroll left</source>
        <translation>เลื่อนไปทางซ้าย</translation>
    </message>
    <message>
        <source>Scroll up</source>
        <translation>เลื่อนขึ้น</translation>
    </message>
    <message>
        <source>Scroll right</source>
        <translation>เลื่อนไปทางขวา</translation>
    </message>
    <message>
        <source>Scroll down</source>
        <translation>เลื่อนลง</translation>
    </message>
</context>
<context>
    <name>QComboBox</name>
    <message>
        <source>Open the combo box selection popup</source>
        <translation>เปิดรายการให้เลือก</translation>
    </message>
    <message>
        <source>True</source>
        <translation>จริง</translation>
    </message>
    <message>
        <source>False</source>
        <translation>เท็จ</translation>
    </message>
</context>
<context>
    <name>QAccessibleActionInterface</name>
    <message>
        <source>Press</source>
        <translation>กด</translation>
    </message>
    <message>
        <source>Increase</source>
        <translation>เพิ่ม</translation>
    </message>
    <message>
        <source>Decrease</source>
        <translation>ลด</translation>
    </message>
    <message>
        <source>ShowMenu</source>
        <translation>แสดงเมนู</translation>
    </message>
    <message>
        <source>SetFocus</source>
        <translation>ย้ายโฟกัสมาที่นี่</translation>
    </message>
    <message>
        <source>Toggle</source>
        <translation>สลับ</translation>
    </message>
    <message>
        <source>Scroll Left</source>
        <translation>เลื่อนไปทางซ้าย</translation>
    </message>
    <message>
        <source>Scroll Right</source>
        <translation>เลื่อนไปทางขวา</translation>
    </message>
    <message>
        <source>Scroll Up</source>
        <translation>เลื่อนขึ้น</translation>
    </message>
    <message>
        <source>Scroll Down</source>
        <translation>เลื่อนลง</translation>
    </message>
    <message>
        <source>Previous Page</source>
        <translation>หน้าก่อน</translation>
    </message>
    <message>
        <source>Next Page</source>
        <translation>หน้าถัดไป</translation>
    </message>
    <message>
        <source>Triggers the action</source>
        <translation>ทำคำสั่งนี้</translation>
    </message>
    <message>
        <source>Increase the value</source>
        <translation>เพิ่มค่า</translation>
    </message>
    <message>
        <source>Decrease the value</source>
        <translation>ลดค่า</translation>
    </message>
    <message>
        <source>Shows the menu</source>
        <translation>แสดงเมนู</translation>
    </message>
    <message>
        <source>Sets the focus</source>
        <translation>ย้ายโฟกัสมาที่นี่</translation>
    </message>
    <message>
        <source>Toggles the state</source>
        <translation>สลับสถานะ</translation>
    </message>
    <message>
        <source>Scrolls to the left</source>
        <translation>เลื่อนไปทางซ้าย</translation>
    </message>
    <message>
        <source>Scrolls to the right</source>
        <translation>เลื่อนไปทางขวา</translation>
    </message>
    <message>
        <source>Scrolls up</source>
        <translation>เลื่อนขึ้น</translation>
    </message>
    <message>
        <source>Scrolls down</source>
        <translation>เลื่อนลง</translation>
    </message>
    <message>
        <source>Goes back a page</source>
        <translation>ย้อนไปหนึ่งหน้า</translation>
    </message>
    <message>
        <source>Goes to the next page</source>
        <translation>ไปหน้าถัดไป</translation>
    </message>
</context>
<context>
    <name>QStandardPaths</name>
    <message>
        <source>Desktop</source>
        <translation>เดสก์ท็อป</translation>
    </message>
    <message>
        <source>Documents</source>
        <translation>เอกสาร</translation>
    </message>
    <message>
        <source>Fonts</source>
        <translation>แบบอักษร</translation>
    </message>
    <message>
        <source>Applications</source>
        <translation>โปรแกรม</translation>
    </message>
    <message>
        <source>Music</source>
        <translation>เพลง</translation>
    </message>
    <message>
        <source>Movies</source>
        <translation>ภาพยนตร์</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>รูปภาพ</translation>
    </message>
    <message>
        <source>Temporary Directory</source>
        <translation>โฟลเดอร์ชั่วคราว</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>โฟลเดอร์ส่วนตัว</translation>
    </message>
    <message>
        <source>Cache</source>
        <translation>แคช</translation>
    </message>
    <message>
        <source>Shared Data</source>
        <translation>ข้อมูลที่ใช้ร่วมกัน</translation>
    </message>
    <message>
        <source>Runtime</source>
        <translation>ข้อมูลขณะทำงาน</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>การตั้งค่า</translation>
    </message>
    <message>
        <source>Shared Configuration</source>
        <translation>การตั้งค่าที่ใช้ร่วมกัน</translation>
    </message>
    <message>
        <source>Shared Cache</source>
        <translation>แคชที่ใช้ร่วมกัน</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>ดาวน์โหลด</translation>
    </message>
    <message>
        <source>Application Data</source>
        <translation>ข้อมูลโปรแกรม</translation>
    </message>
    <message>
        <source>Application Configuration</source>
        <translation>การตั้งค่าโปรแกรม</translation>
    </message>
    <message>
        <source>Public</source>
        <translation>สาธารณะ</translation>
    </message>
    <message>
        <source>Templates</source>
        <translation>แม่แบบ</translation>
    </message>
</context>
<context>
    <name>QIODevice</name>
    <message>
        <source>No such file or directory</source>
        <translation>ไม่พบแฟ้มหรือโฟลเดอร์นี้</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>ไม่มีสิทธิ์เข้าถึง</translation>
    </message>
    <message>
        <source>file to open is a directory</source>
        <translation>สิ่งที่จะเปิดเป็นโฟลเดอร์ ไม่ใช่แฟ้ม</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>พื้นที่บนดิสก์เต็ม</translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation>เปิดแฟ้มไว้มากเกินไป</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>ข้อผิดพลาดที่ไม่ทราบสาเหตุ</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <comment>Translate this string to the string &apos;LTR&apos; in left-to-right languages or to &apos;RTL&apos; in right-to-left languages (such as Hebrew and Arabic) to get proper widget layout.</comment>
        <translation>LTR</translation>
    </message>
</context>
</TS>
