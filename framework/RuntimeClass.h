// Run-time class records: class names, IsKindOf tests and creation by class for the
// document template (documents, frames and views are made from their CRuntimeClass).
#pragma once

#include <windows.h>

class CCmdTarget;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    CCmdTarget* (PASCAL* m_pfnCreateObject)();  // NULL for classes that are not creatable
    const CRuntimeClass* m_pBaseClass;

    // A new object of the class, or NULL when the class is not creatable.
    CCmdTarget* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : NULL; }
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const
    {
        for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
            if (c == pBaseClass) return TRUE;
        return FALSE;
    }
};

#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

#define DECLARE_DYNAMIC(class_name)                                  \
public:                                                              \
    static const CRuntimeClass class##class_name;                    \
    CRuntimeClass* GetRuntimeClass() const override { return RUNTIME_CLASS(class_name); }

#define DECLARE_DYNCREATE(class_name)                                \
    DECLARE_DYNAMIC(class_name)                                      \
    static CCmdTarget* PASCAL CreateObject();

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)               \
    const CRuntimeClass class_name::class##class_name = {            \
        #class_name, (int)sizeof(class_name), NULL, RUNTIME_CLASS(base_class_name)};

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)             \
    CCmdTarget* PASCAL class_name::CreateObject() { return new class_name; } \
    const CRuntimeClass class_name::class##class_name = {            \
        #class_name, (int)sizeof(class_name), &class_name::CreateObject, RUNTIME_CLASS(base_class_name)};
