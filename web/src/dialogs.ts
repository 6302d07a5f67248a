// Questions and messages as the window asks them, in a modal <dialog> that
// a keyboard and a screen reader can use.

export type Answer = "yes" | "no" | "cancel" | "ok";

export function ask(text: string, buttons: Answer[], title = document.title): Promise<Answer> {
  const dialog = document.getElementById("question") as HTMLDialogElement;
  (dialog.querySelector("h2") as HTMLElement).textContent = title;
  (dialog.querySelector("p") as HTMLElement).textContent = text;
  const row = dialog.querySelector("menu") as HTMLElement;
  row.replaceChildren();
  const names: Record<Answer, string> = { yes: "Yes", no: "No", cancel: "Cancel", ok: "OK" };
  return new Promise((resolve) => {
    for (const answer of buttons) {
      const button = document.createElement("button");
      button.type = "button";
      button.textContent = names[answer];
      button.dataset.answer = answer;
      button.addEventListener("click", () => {
        dialog.close();
        resolve(answer);
      });
      row.append(button);
    }
    dialog.addEventListener("cancel", () => resolve("cancel"), { once: true });
    dialog.showModal();
    (row.firstElementChild as HTMLElement | null)?.focus();
  });
}

export async function tell(lines: string[], title?: string): Promise<void> {
  for (const line of lines) await ask(line, ["ok"], title);
}
