// The form bridge of the HTML viewer. It runs in the application's own script world, which the
// page cannot see and which runs while the page's own scripts are off. Every form submission is
// stopped here and reported to the viewer over the web channel instead: the form's attributes
// as written and its name=value lines in document order, without URL encoding.
// Timers do not run in this world while page scripts are off: nothing here may wait on one.
(function () {
    'use strict';

    let bridge = null;
    let waiting = [];
    // One report at a time: a second click before the viewer has handled the first is ignored.
    let busy = false;

    function attribute(element, name) {
        const value = element.getAttribute(name);
        return value === null ? '' : value;
    }

    function lineBreaksAsCrLf(text) {
        return text.replace(/\r\n|\r|\n/g, '\r\n');
    }

    function fieldLines(form, submitter) {
        const lines = [];
        for (const control of form.elements) {
            if (!control.name || control.matches(':disabled'))
                continue;
            switch (control.localName) {
            case 'input':
                switch (control.type) {
                case 'checkbox':
                case 'radio':
                    // value is "on" when the control has no value attribute
                    if (control.checked)
                        lines.push(control.name + '=' + control.value);
                    break;
                case 'submit':
                case 'image':
                case 'reset':
                case 'button':
                case 'file':
                    break;
                default:
                    lines.push(control.name + '=' + control.value);
                }
                break;
            case 'textarea':
                lines.push(control.name + '=' + lineBreaksAsCrLf(control.value));
                break;
            case 'select':
                for (const option of control.options) {
                    if (option.selected && !option.matches(':disabled'))
                        lines.push(control.name + '=' + option.value);
                }
                break;
            }
        }
        if (submitter && submitter.name && !submitter.matches(':disabled'))
            lines.push(submitter.name + '=' + submitter.value);
        return lines;
    }

    function deliver(report) {
        bridge.submit(report.action, report.target, report.encType, report.method, report.lines);
    }

    document.addEventListener('submit', function (event) {
        const form = event.target;
        if (!(form instanceof HTMLFormElement))
            return;
        event.preventDefault();
        event.stopImmediatePropagation();
        if (busy)
            return;
        busy = true;
        const report = {
            action: attribute(form, 'action'),
            target: attribute(form, 'target'),
            encType: attribute(form, 'enctype'),
            method: attribute(form, 'method'),
            lines: fieldLines(form, event.submitter),
        };
        if (bridge)
            deliver(report);
        else
            waiting.push(report);
    }, true);

    // Called by the viewer once it has handled a report.
    window.kelvoFormsReleased = function () {
        busy = false;
    };

    if (typeof qt === 'undefined' || !qt.webChannelTransport) {
        console.error('kelvo: no web channel transport');
        return;
    }
    new QWebChannel(qt.webChannelTransport, function (channel) {
        bridge = channel.objects.kelvoForms;
        for (const report of waiting)
            deliver(report);
        waiting = [];
    });
})();
