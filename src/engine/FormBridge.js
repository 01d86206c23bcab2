// The form bridge of the HTML viewer. It runs in the application's own script world, which the
// page cannot see and which runs while the page's own scripts are off. Every form submission is
// stopped here and reported to the viewer over the web channel instead: the form's attributes
// as written and its name=value lines in document order, without URL encoding.
// Timers do not run in this world while page scripts are off: nothing here may wait on one.
(function () {
    'use strict';

    // A form (and the document) answers a property access with its control of that name first:
    // a field named "elements" or "getAttribute" hides the form's own. Everything is therefore
    // read through the getters and methods of the prototypes, taken before any page exists.
    function getterOf(prototype, name) {
        return Object.getOwnPropertyDescriptor(prototype, name).get;
    }
    const call = Function.prototype.call.bind(Function.prototype.call);
    const formElements = getterOf(HTMLFormElement.prototype, 'elements');
    const collectionLength = getterOf(HTMLCollection.prototype, 'length');
    const collectionItem = HTMLCollection.prototype.item;
    const getAttribute = Element.prototype.getAttribute;
    const matches = Element.prototype.matches;
    const localName = getterOf(Element.prototype, 'localName');
    const eventTarget = getterOf(Event.prototype, 'target');
    const submitEventSubmitter = getterOf(SubmitEvent.prototype, 'submitter');
    const keyOf = getterOf(KeyboardEvent.prototype, 'key');
    const keyIsComposing = getterOf(KeyboardEvent.prototype, 'isComposing');
    const altKey = getterOf(KeyboardEvent.prototype, 'altKey');
    const ctrlKey = getterOf(KeyboardEvent.prototype, 'ctrlKey');
    const metaKey = getterOf(KeyboardEvent.prototype, 'metaKey');
    const preventDefault = Event.prototype.preventDefault;
    const stopImmediatePropagation = Event.prototype.stopImmediatePropagation;
    const addEventListener = EventTarget.prototype.addEventListener;
    const arrayPush = Array.prototype.push;
    const stringReplace = String.prototype.replace;
    const stringOf = String;
    const input = {
        name: getterOf(HTMLInputElement.prototype, 'name'),
        type: getterOf(HTMLInputElement.prototype, 'type'),
        value: getterOf(HTMLInputElement.prototype, 'value'),
        checked: getterOf(HTMLInputElement.prototype, 'checked'),
    };
    const textarea = {
        name: getterOf(HTMLTextAreaElement.prototype, 'name'),
        value: getterOf(HTMLTextAreaElement.prototype, 'value'),
    };
    const select = {
        name: getterOf(HTMLSelectElement.prototype, 'name'),
        options: getterOf(HTMLSelectElement.prototype, 'options'),
    };
    const option = {
        selected: getterOf(HTMLOptionElement.prototype, 'selected'),
        value: getterOf(HTMLOptionElement.prototype, 'value'),
    };
    const button = {
        name: getterOf(HTMLButtonElement.prototype, 'name'),
        value: getterOf(HTMLButtonElement.prototype, 'value'),
    };
    // Input types that are buttons: Enter on them presses them.
    const buttonTypes = ['submit', 'image', 'reset', 'button', 'file'];

    let bridge = null;
    let waiting = [];
    // One report at a time: a second click before the viewer has handled the first is ignored.
    let busy = false;

    function attribute(element, name) {
        const value = call(getAttribute, element, name);
        return value === null ? '' : value;
    }

    function lineBreaksAsCrLf(text) {
        return call(stringReplace, text, /\r\n|\r|\n/g, '\r\n');
    }

    function isDisabled(element) {
        return call(matches, element, ':disabled');
    }

    function each(collection, visit) {
        const count = call(collectionLength, collection);
        for (let i = 0; i < count; ++i)
            visit(call(collectionItem, collection, i));
    }

    function controlLines(control, lines) {
        switch (call(localName, control)) {
        case 'input': {
            const name = call(input.name, control);
            if (!name || isDisabled(control))
                return;
            const type = call(input.type, control);
            if (type === 'checkbox' || type === 'radio') {
                // value is "on" when the control has no value attribute
                if (call(input.checked, control))
                    call(arrayPush, lines, name + '=' + call(input.value, control));
            } else if (buttonTypes.indexOf(type) < 0) {
                call(arrayPush, lines, name + '=' + call(input.value, control));
            }
            return;
        }
        case 'textarea': {
            const name = call(textarea.name, control);
            if (name && !isDisabled(control))
                call(arrayPush, lines, name + '=' + lineBreaksAsCrLf(call(textarea.value, control)));
            return;
        }
        case 'select': {
            const name = call(select.name, control);
            if (!name || isDisabled(control))
                return;
            each(call(select.options, control), function (entry) {
                if (call(option.selected, entry) && !isDisabled(entry))
                    call(arrayPush, lines, name + '=' + call(option.value, entry));
            });
            return;
        }
        }
    }

    function submitterLine(submitter, lines) {
        if (!submitter || isDisabled(submitter))
            return;
        const kind = call(localName, submitter) === 'button' ? button : input;
        const name = call(kind.name, submitter);
        if (name)
            call(arrayPush, lines, name + '=' + call(kind.value, submitter));
    }

    function fieldLines(form, submitter) {
        const lines = [];
        each(call(formElements, form), function (control) {
            controlLines(control, lines);
        });
        submitterLine(submitter, lines);
        return lines;
    }

    function deliver(report) {
        if (report.back)
            bridge.back();
        else if (report.failure === undefined)
            bridge.submit(report.action, report.target, report.encType, report.method, report.lines);
        else
            bridge.unreadable(report.action, report.failure);
    }

    // The channel to the viewer opens with the first report: opening it costs a round trip to
    // the viewer, which every document would otherwise pay as it loads, and most documents are
    // read and left without a report.
    let channelOpening = false;
    function openChannel() {
        if (channelOpening)
            return;
        channelOpening = true;
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
    }

    function post(report) {
        if (bridge) {
            deliver(report);
            return;
        }
        call(arrayPush, waiting, report);
        openChannel();
    }

    call(addEventListener, document, 'submit', function (event) {
        const form = call(eventTarget, event);
        if (!(form instanceof HTMLFormElement))
            return;
        call(preventDefault, event);
        call(stopImmediatePropagation, event);
        if (busy)
            return;
        busy = true;
        let report;
        try {
            report = {
                action: attribute(form, 'action'),
                target: attribute(form, 'target'),
                encType: attribute(form, 'enctype'),
                method: attribute(form, 'method'),
                lines: fieldLines(form, call(submitEventSubmitter, event)),
            };
        } catch (error) {
            // Nothing is reported as submitted that was not read in full; the form stays usable.
            busy = false;
            let action = '';
            try {
                action = attribute(form, 'action');
            } catch (ignored) {
            }
            report = { action: action, failure: stringOf(error) };
        }
        try {
            post(report);
        } catch (error) {
            busy = false;
            console.error('kelvo: a form could not be reported: ' + stringOf(error));
        }
    }, true);

    // Enter in a field would submit its form implicitly, as if its first button had been pressed:
    // a quiz is checked only when the student presses a button. Enter in a text area still breaks
    // the line, and Enter on a focused button still presses it.
    call(addEventListener, document, 'keydown', function (event) {
        if (call(keyOf, event) !== 'Enter' || call(keyIsComposing, event) || call(altKey, event)
            || call(ctrlKey, event) || call(metaKey, event))
            return;
        const target = call(eventTarget, event);
        if (!(target instanceof Element))
            return;
        const name = call(localName, target);
        if ((name === 'input' && buttonTypes.indexOf(call(input.type, target)) < 0) || name === 'select')
            call(preventDefault, event);
    }, true);

    // Backspace or Alt+Left that no field took: back to the page before, within the chapter.
    const shiftKey = getterOf(KeyboardEvent.prototype, 'shiftKey');
    const defaultPrevented = getterOf(Event.prototype, 'defaultPrevented');
    const contentEditable = getterOf(HTMLElement.prototype, 'isContentEditable');
    call(addEventListener, window, 'keydown', function (event) {
        const key = call(keyOf, event);
        const alt = call(altKey, event);
        const others = call(ctrlKey, event) || call(metaKey, event) || call(shiftKey, event);
        if (others || !((key === 'Backspace' && !alt) || (key === 'ArrowLeft' && alt)))
            return;
        const target = call(eventTarget, event);
        if (call(defaultPrevented, event) || !(target instanceof Element))
            return;
        const name = call(localName, target);
        const editable = name === 'textarea' || name === 'select'
            || (name === 'input' && buttonTypes.indexOf(call(input.type, target)) < 0)
            || (target instanceof HTMLElement && call(contentEditable, target));
        if (editable)
            return;
        call(preventDefault, event);
        post({ back: true });
    }, false);

    // Called by the viewer once it has handled a report.
    window.kelvoFormsReleased = function () {
        busy = false;
    };
})();
