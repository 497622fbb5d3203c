<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="Hebrew" sourcelanguage="English">
<context>
    <name>language</name>
    <message>
        <source>Orders</source>
        <translation>הזמנות</translation>
    </message>
    <message>
        <source>File</source>
        <translation>קובץ</translation>
    </message>
    <message>
        <source>Settings...</source>
        <translation>הגדרות...</translation>
    </message>
    <message>
        <source>Change the settings</source>
        <translation>שינוי ההגדרות</translation>
    </message>
    <message>
        <source>Keep learned phrases</source>
        <translation>שמור ביטויים שנלמדו</translation>
    </message>
    <message>
        <source>Write the phrases learned so far into the dictionary</source>
        <translation type="unfinished"/>
    </message>
    <message>
        <source>Exit</source>
        <translation>יציאה</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>שפה</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>עזרה</translation>
    </message>
    <message>
        <source>About</source>
        <translation>אודות</translation>
    </message>
    <message>
        <source>A demonstration of run-time translation.</source>
        <translation type="unfinished"/>
    </message>
    <message>
        <source>Main toolbar</source>
        <translation>סרגל כלים ראשי</translation>
    </message>
    <message>
        <source>Name of the customer</source>
        <translation>שם הלקוח</translation>
    </message>
    <message>
        <source>Customer:</source>
        <translation>לקוח:</translation>
    </message>
    <message>
        <source>Standard</source>
        <translation>רגיל</translation>
    </message>
    <message>
        <source>Express</source>
        <translation>אקספרס</translation>
    </message>
    <message>
        <source>Overnight</source>
        <translation>תוך לילה</translation>
    </message>
    <message>
        <source>How the order travels</source>
        <translation>איך ההזמנה נשלחת</translation>
    </message>
    <message>
        <source>Delivery:</source>
        <translation>משלוח:</translation>
    </message>
    <message>
        <source>Gift wrapping</source>
        <translation>עטיפת מתנה</translation>
    </message>
    <message>
        <source>Send an invoice</source>
        <translation>שלח חשבונית</translation>
    </message>
    <message>
        <source>Apples</source>
        <translation>תפוחים</translation>
    </message>
    <message>
        <source>Pears</source>
        <translation>אגסים</translation>
    </message>
    <message>
        <source>Plums</source>
        <translation>שזיפים</translation>
    </message>
    <message>
        <source>Product</source>
        <translation>מוצר</translation>
    </message>
    <message>
        <source>Origin</source>
        <translation>מקור</translation>
    </message>
    <message>
        <source>Fruit</source>
        <translation>פירות</translation>
    </message>
    <message>
        <source>Italy</source>
        <translation>איטליה</translation>
    </message>
    <message>
        <source>Spain</source>
        <translation>ספרד</translation>
    </message>
    <message>
        <source>Add order</source>
        <translation>הוסף הזמנה</translation>
    </message>
    <message>
        <source>Adds the order to the list</source>
        <translation>מוסיף את ההזמנה לרשימה</translation>
    </message>
    <message>
        <source>Remove order</source>
        <translation>הסר הזמנה</translation>
    </message>
    <message>
        <source>Removes the selected order</source>
        <translation>מסיר את ההזמנה שנבחרה</translation>
    </message>
    <message>
        <source>Order added</source>
        <translation>ההזמנה נוספה</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>מוכן</translation>
    </message>
    <message>
        <source>Learned phrases kept</source>
        <translation type="unfinished"/>
    </message>
    <message>
        <source>Settings</source>
        <translation>הגדרות</translation>
    </message>
    <message>
        <source>User name:</source>
        <translation>שם משתמש:</translation>
    </message>
    <message>
        <source>Show tooltips</source>
        <translation>הצג תיאורים</translation>
    </message>
    <message>
        <source>General</source>
        <translation>כללי</translation>
    </message>
    <message>
        <source>Write a log file</source>
        <translation>כתוב קובץ יומן</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>מתקדם</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>אישור</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>ביטול</translation>
    </message>
    <message>
        <source>Open an order...</source>
        <translation>פתח הזמנה...</translation>
    </message>
    <message>
        <source>Open an order</source>
        <translation>פתח הזמנה</translation>
    </message>
    <message>
        <source>Remove all orders...</source>
        <translation>הסר את כל ההזמנות...</translation>
    </message>
    <message>
        <source>Remove all orders?</source>
        <translation>להסיר את כל ההזמנות?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>כן</translation>
    </message>
    <message>
        <source>No</source>
        <translation>לא</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>פתח</translation>
    </message>
    <message>
        <source>Look in:</source>
        <translation>חפש ב:</translation>
    </message>
    <message>
        <source>File name:</source>
        <translation>שם קובץ:</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>קבצים מסוג:</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>כל הקבצים (*)</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>אחורה</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>קדימה</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>תיקיית אב</translation>
    </message>
    <message>
        <source>Create New Folder</source>
        <translation>צור תיקייה חדשה</translation>
    </message>
    <message>
        <source>List View</source>
        <translation>תצוגת רשימה</translation>
    </message>
    <message>
        <source>Detail View</source>
        <translation>תצוגת פרטים</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>חזור אחורה</translation>
    </message>
    <message>
        <source>Go forward</source>
        <translation>התקדם</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>עבור לתיקיית האב</translation>
    </message>
    <message>
        <source>Create a New Folder</source>
        <translation>צור תיקייה חדשה</translation>
    </message>
    <message>
        <source>Change to list view mode</source>
        <translation>עבור לתצוגת רשימה</translation>
    </message>
    <message>
        <source>Change to detail view mode</source>
        <translation>עבור לתצוגת פרטים</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>תיקייה חדשה</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>מחק</translation>
    </message>
    <message>
        <source>Rename</source>
        <translation>שנה שם</translation>
    </message>
    <message>
        <source>Show hidden files</source>
        <translation>הצג קבצים מוסתרים</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>סרגל צד</translation>
    </message>
    <message>
        <source>List of places and bookmarks</source>
        <translation>רשימת מקומות וסימניות</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>קבצים</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>שם</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>גודל</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>סוג</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>תאריך שינוי</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>מחשב</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>תיקייה</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>כונן</translation>
    </message>
    <message>
        <source>Remove all orders</source>
        <translation>הסר את כל ההזמנות</translation>
    </message>
</context>
</TS>
