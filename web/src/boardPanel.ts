// The page's "Pager" bar: the board, the operations with the window's names,
// the progress of a transfer with its block count and Cancel, and what the
// last operation said (the window's status bar and its message boxes).

export interface BoardPanel {
  root: HTMLElement;
  board: HTMLSelectElement;
  simPort: HTMLInputElement;
  backup: HTMLInputElement;
  syncClock: HTMLInputElement;
  buttons: Record<"add" | "search" | "info" | "read" | "write" | "verify" | "sync" | "compare" | "cancel", HTMLButtonElement>;
  progress(blocks: number, total: number, caption: string): void;
  status(panel: number, text: string): void;
  setBusy(busy: boolean): void;
  cancelled(level: number): void;
  // The outcome (undefined: left as it is) and the messages of an operation.
  report(outcome: number | undefined, text: string, messages: string[]): void;
}

function element<K extends keyof HTMLElementTagNameMap>(tag: K, props: Partial<HTMLElementTagNameMap[K]> = {},
                                                        ...children: (Node | string)[]): HTMLElementTagNameMap[K] {
  const made = Object.assign(document.createElement(tag), props);
  made.append(...children);
  return made;
}

function labelled(text: string, control: HTMLElement): HTMLLabelElement {
  return element("label", {}, text, " ", control);
}

export function boardPanel(hasWebSerial: boolean, simulatorPort: number): BoardPanel {
  const board = element("select", { id: "board-port" });
  const simPort = element("input", { id: "sim-port", type: "text", inputMode: "numeric", size: 5, value: String(simulatorPort) });
  const backup = element("input", { id: "op-backup", type: "checkbox", checked: true });
  const syncClock = element("input", { id: "op-sync-write", type: "checkbox", checked: true });
  const button = (id: string, text: string) => element("button", { id, type: "button", textContent: text });
  const buttons = {
    add: button("board-add", "Allow a serial port…"),
    search: button("board-search", "Search"),
    info: button("op-info", "Info"),
    read: button("op-read", "Read"),
    write: button("op-write", "Write"),
    verify: button("op-verify", "Verify"),
    sync: button("op-sync", "SYNC TIME"),
    compare: button("op-compare", "Compare with the pager"),
    cancel: button("op-cancel", "Cancel"),
  };
  buttons.add.hidden = !hasWebSerial;
  const bar = element("progress", { id: "op-progress", max: 32, value: 0 });
  const blocks = element("span", { id: "op-blocks" });
  const caption = element("span", { id: "op-caption" });
  const activity = element("span", { id: "op-activity" });
  const outcome = element("p", { id: "op-outcome" });
  const messages = element("ul", { id: "op-messages" });
  const report = element("div", { id: "op-report", role: "status" }, outcome, messages);
  const running = element("div", { id: "op-running", hidden: true }, caption, bar, blocks, buttons.cancel);
  const root = element("section", { id: "board" },
    element("h2", { id: "board-title", textContent: "Pager" }),
    element("div", { className: "board-row" }, labelled("Board", board), buttons.add,
      labelled("Simulator port", simPort), buttons.search),
    element("div", { className: "board-row" }, buttons.info, buttons.read, buttons.write, buttons.verify, buttons.sync,
      buttons.compare, labelled("Back Up Pager Before Write", backup), labelled("SYNC DATE & TIME WITH PC", syncClock)),
    running, activity, report);
  root.setAttribute("aria-labelledby", "board-title");
  bar.setAttribute("aria-label", "Blocks exchanged");

  return {
    root, board, simPort, backup, syncClock, buttons,
    progress(done, total, text) {
      bar.max = total;
      bar.value = done;
      blocks.textContent = `${done} / ${total} blocks`;
      if (text.trim()) caption.textContent = text.trim();
    },
    status(panel, text) {
      if (panel === 1) activity.textContent = text.trim();
      else outcome.textContent = text.trim();
    },
    setBusy(busy) {
      for (const [name, b] of Object.entries(buttons)) if (name !== "cancel") b.disabled = busy;
      board.disabled = simPort.disabled = busy;
      running.hidden = !busy;
      buttons.cancel.textContent = "Cancel";
      buttons.cancel.disabled = false;
      root.dataset.busy = String(busy);
      if (busy) {
        outcome.textContent = "";
        messages.replaceChildren();
        caption.textContent = "";
        blocks.textContent = "";
        bar.value = 0;
        delete root.dataset.outcome;
      } else {
        activity.textContent = "";
        // Counts the operations that ended (the tests wait on it).
        root.dataset.done = String(Number(root.dataset.done ?? 0) + 1);
      }
    },
    cancelled(level) {
      activity.textContent = level === 1
        ? "Cancel: the pager under way is finished first; Stop now ends the transfer after the block being exchanged."
        : "Stop now: the transfer ends after the block being exchanged.";
      buttons.cancel.textContent = "Stop now";
      buttons.cancel.disabled = level >= 2;
    },
    report(code, text, lines) {
      if (code !== undefined) root.dataset.outcome = String(code);
      if (text.trim() || code !== undefined) outcome.textContent = text.trim();
      for (const line of lines) messages.append(element("li", { textContent: line }));
    },
  };
}
