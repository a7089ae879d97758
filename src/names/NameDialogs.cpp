#include "names/NameDialogs.h"

#include "mainwindow/HeadForm.h"
#include "names/SubTransForm.h"
#include "names/TransForm.h"
#include "names/TransNames.h"

#include <QPointer>

namespace fyn {

namespace {

// A dialog of another (closed) main window is replaced.
template <class Form> Form& instance(QPointer<Form>& p, HeadForm& head) {
    if (p && &p->head() != &head)
        delete p.data();
    if (!p)
        p = new Form(head);
    return *p;
}

QPointer<TransForm> transForm_;
QPointer<SubTransForm> subTransForm_;

} // namespace

TransForm& transForm(HeadForm& head) {
    return instance(transForm_, head);
}

SubTransForm& subTransForm(HeadForm& head) {
    return instance(subTransForm_, head);
}

void installNameDialogs() {
    HeadForm::openTransForm = [](HeadForm& head) { transForm(head).Form_Load(); };
    HeadForm::openSubTransForm = [](HeadForm& head) { subTransForm(head).Form_Load(); };
    HeadForm::saveTransName = [](const QString& name, const QString& sign, QString* problem) {
        const SavedName saved = saveMainName(name, sign);
        if (problem)
            *problem = saved.problem;
        return saved.record;
    };
}

} // namespace fyn
